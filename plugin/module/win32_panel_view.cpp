#include "plugin/module/win32_panel_view.h"

// After windows.h, whose types it uses.
#include <commctrl.h>

#include "plugin/module/panel.h"
#include "plugin/module/panel_ids.h"
#include "plugin/module/wide_text.h"

namespace larkspur::module {

Text Win32PanelView::TokenText() const {
  return ReadControlText(panel_, IDC_TOKEN);
}

Text Win32PanelView::ExchangeFolderText() const {
  return ReadControlText(panel_, IDC_EXCHANGE_FOLDER);
}

bool Win32PanelView::ResetXformChecked() const {
  return IsDlgButtonChecked(panel_, IDC_RESET_XFORM) == BST_CHECKED;
}

void Win32PanelView::SetBalanceLabel(const Text& text) {
  SetDlgItemTextW(panel_, IDC_BALANCE, Wide(text));
}

void Win32PanelView::SetProgressPosition(int percent) {
  SendDlgItemMessageW(panel_, IDC_PROGRESS, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
}

void Win32PanelView::SetStatusText(const Text& text) {
  SetDlgItemTextW(panel_, IDC_STATUS, Wide(text));
}

void Win32PanelView::SetJobLabel(const Text& text) {
  SetDlgItemTextW(panel_, IDC_JOB, Wide(text));
}

void Win32PanelView::SetExportButtonEnabled(bool enabled) {
  EnableWindow(GetDlgItem(panel_, IDC_EXPORT_SEND), enabled ? TRUE : FALSE);
}

MessageAnswer Win32PanelView::ShowMessageBox(const Text& text, const Text& title, MessageIcon icon,
                                             MessageButtons buttons) {
  UINT type = buttons == MessageButtons::kYesNo ? MB_YESNO : MB_OK;
  if (icon == MessageIcon::kError) type |= MB_ICONERROR;
  if (icon == MessageIcon::kWarning) type |= MB_ICONWARNING;
  const int answer = MessageBoxW(panel_, Wide(text), Wide(title), type);
  if (buttons == MessageButtons::kOk) return MessageAnswer::kOk;
  return answer == IDYES ? MessageAnswer::kYes : MessageAnswer::kNo;
}

void Win32PanelView::DrainPendingInput() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

}  // namespace larkspur::module
