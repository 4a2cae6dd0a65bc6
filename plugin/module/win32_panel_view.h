// What the Export and Send workflow sees of the Win32 panel: the dialog's controls.
#pragma once

#include <windows.h>

#include "plugin/panel_view.h"

namespace larkspur::module {

class Win32PanelView : public PanelView {
 public:
  explicit Win32PanelView(HWND panel) : panel_(panel) {}

  Text TokenText() const override;
  Text ExchangeFolderText() const override;
  bool ResetXformChecked() const override;
  void SetBalanceLabel(const Text& text) override;
  void SetProgressPosition(int percent) override;
  void SetStatusText(const Text& text) override;
  void SetJobLabel(const Text& text) override;
  void SetExportButtonEnabled(bool enabled) override;
  MessageAnswer ShowMessageBox(const Text& text, const Text& title, MessageIcon icon,
                               MessageButtons buttons) override;
  // The thread's whole message queue, every window's messages, translated and dispatched.
  void DrainPendingInput() override;

 private:
  HWND panel_;
};

}  // namespace larkspur::module
