// What the Export and Send workflow sees of the panel: three inputs, five outputs, a message box
// and a way to let pending input through. The Win32 panel implements it over its dialog controls,
// the command line over the console, and the tests with a recording view, so that all three drive
// the same workflow code.
#pragma once

#include <cstddef>

#include "host/text.h"

namespace larkspur {

// The panel's text fields give at most this many characters (a 2048-character buffer).
inline constexpr size_t kMaxFieldChars = 2047;

enum class MessageIcon { kNone, kError, kWarning };
enum class MessageButtons { kOk, kYesNo };
enum class MessageAnswer { kOk, kYes, kNo };

class PanelView {
 public:
  virtual ~PanelView() = default;

  // The token field's text as typed; the workflow trims it.
  virtual Text TokenText() const = 0;
  // The Exchange Folder field's text as typed, never trimmed.
  virtual Text ExchangeFolderText() const = 0;
  // Whether "Reset XForm + Convert to Poly (explodes groups!)" is checked.
  virtual bool ResetXformChecked() const = 0;

  virtual void SetBalanceLabel(const Text& text) = 0;
  virtual void SetProgressPosition(int percent) = 0;  // 0 to 100
  virtual void SetStatusText(const Text& text) = 0;
  virtual void SetJobLabel(const Text& text) = 0;
  virtual void SetExportButtonEnabled(bool enabled) = 0;

  // A modal message box owned by the panel; returns the button chosen (kOk for an OK box; kNo
  // for a Yes/No box closed any other way).
  virtual MessageAnswer ShowMessageBox(const Text& text, const Text& title, MessageIcon icon,
                                       MessageButtons buttons) = 0;

  // Lets the input that waits be handled (the Win32 panel drains its thread's message queue), so
  // that the panel and the host stay responsive between two steps.
  virtual void DrainPendingInput() = 0;
};

}  // namespace larkspur
