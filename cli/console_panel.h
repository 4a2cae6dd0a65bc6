// The panel on a console: the workflow's progress as a bar redrawn in place on a terminal, as one
// line per step otherwise; message boxes on standard error; the Reset XForm confirmation asked on
// a terminal, answered by --yes, and declined where nobody can answer.
#pragma once

#include "cli/command.h"
#include "plugin/panel_view.h"

namespace larkspur::cli {

struct ConsoleFields {
  Text token;           // what the token field holds
  Text exchangeFolder;  // what the Exchange Folder field holds
  bool resetXform = false;
  bool yes = false;  // answer the confirmation with Yes without asking
};

class ConsolePanel : public PanelView {
 public:
  ConsolePanel(const Console& console, ConsoleFields fields);

  Text TokenText() const override;
  Text ExchangeFolderText() const override;
  bool ResetXformChecked() const override { return fields_.resetXform; }
  void SetBalanceLabel(const Text& text) override;
  void SetProgressPosition(int percent) override { percent_ = percent; }
  void SetStatusText(const Text& text) override;
  void SetJobLabel(const Text& text) override;
  void SetExportButtonEnabled(bool) override {}
  MessageAnswer ShowMessageBox(const Text& text, const Text& title, MessageIcon icon,
                               MessageButtons buttons) override;
  void DrainPendingInput() override;

  // Ends the progress line; true when the run ended in "Done  OK".
  bool Finish();

 private:
  void EndBar();
  MessageAnswer Confirm();

  const Console& console_;
  const ConsoleFields fields_;
  int percent_ = 0;
  Text status_;
  size_t barWidth_ = 0;  // characters of the bar line now shown; 0 when none is open
};

}  // namespace larkspur::cli
