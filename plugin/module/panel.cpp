#include "plugin/module/panel.h"

// After windows.h, whose types they use.
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cwchar>
#include <exception>

#include "plugin/export_and_send.h"
#include "plugin/module/logo_bitmap.h"
#include "plugin/module/module_state.h"
#include "plugin/module/panel_ids.h"
#include "plugin/module/wide_text.h"
#include "plugin/module/win32_panel_view.h"
#include "plugin/panel_text.h"
#include "plugin/settings_file.h"
#include "transfer/service_api.h"

namespace larkspur::module {
namespace {

constexpr char16_t kVersionText[] = u"2.0";
constexpr char16_t kTrue[] = u"true";
constexpr char16_t kFalse[] = u"false";
constexpr int kReadBufferChars = 2048;
constexpr UINT kLargeLogoDpi = 144;

// A fresh settings file for each group of reads or each write, as the host's directory may move.
SettingsFile Settings() {
  return SettingsFile(*Panel().host);
}

void WriteSetting(const char16_t* key, const Text& value) {
  Settings().Write(kSettingsSection, key, value);
}

void ShowBox(HWND panel, const Text& text) {
  MessageBoxW(panel, Wide(text), Wide(kPanelTitle), MB_OK);
}

void SetText(HWND panel, int id, const Text& text) {
  SetDlgItemTextW(panel, id, Wide(text));
}

void InitialisePanel(HWND panel) {
  SetText(panel, IDC_VERSION, Text(u"v") + kVersionText);

  const SettingsFile settings = Settings();
  SetText(panel, IDC_TOKEN, settings.Read(kSettingsSection, kApiTokenKey, u""));
  SetText(panel, IDC_EXCHANGE_FOLDER, settings.Read(kSettingsSection, kExchangeFolderKey, u""));
  const bool exportDisplacement =
      settings.Read(kSettingsSection, kExportDisplacementKey, kFalse) == kTrue;
  CheckDlgButton(panel, IDC_EXPORT_DISPLACEMENT, exportDisplacement ? BST_CHECKED : BST_UNCHECKED);

  SendDlgItemMessageW(panel, IDC_PROGRESS, PBM_SETRANGE, 0, MAKELPARAM(0, 100));

  // The logo is chosen once; a later DPI change keeps it.
  UINT dpi = GetDpiForWindow(panel);
  if (dpi == 0) dpi = USER_DEFAULT_SCREEN_DPI;
  LoadLogoBitmap(GetDlgItem(panel, IDC_LOGO),
                 dpi < kLargeLogoDpi ? IDR_LOGO_96DPI : IDR_LOGO_144DPI, Module().instance);
}

// The folder as typed, untrimmed.
void StoreExchangeFolder(HWND panel) {
  WriteSetting(kExchangeFolderKey, ReadControlText(panel, IDC_EXCHANGE_FOLDER));
}

void StoreExportDisplacement(HWND panel) {
  const bool checked = IsDlgButtonChecked(panel, IDC_EXPORT_DISPLACEMENT) == BST_CHECKED;
  WriteSetting(kExportDisplacementKey, checked ? kTrue : kFalse);
}

// The browser starts at the top of the namespace, not at the folder in the field.
void BrowseForExchangeFolder(HWND panel) {
  BROWSEINFOW info{};
  info.hwndOwner = panel;
  info.lpszTitle = L"Select Exchange Folder";
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&info);
  if (!item) return;
  wchar_t path[MAX_PATH];
  if (SHGetPathFromIDListW(item, path)) {
    SetDlgItemTextW(panel, IDC_EXCHANGE_FOLDER, path);
    WriteSetting(kExchangeFolderKey, FromWide(path, wcslen(path)));
  }
  CoTaskMemFree(item);
}

// The field keeps what was typed; the stored token is trimmed, and an empty one clears it.
void SaveToken(HWND panel) {
  const Text token = TrimWhitespace(ReadControlText(panel, IDC_TOKEN));
  WriteSetting(kApiTokenKey, token);
  ShowBox(panel, TokenSavedText(token, Panel().serviceBaseUrl));
}

// Uses the token in the field, saved or not. The request blocks the thread; nothing is drained
// before it.
void RefreshBalance(HWND panel) {
  const Text token = TrimWhitespace(ReadControlText(panel, IDC_TOKEN));
  if (token.empty()) return ShowBox(panel, u"Enter an API token.");
  SetText(panel, IDC_BALANCE, u"Checking...");
  const Text& serviceUrl = Panel().serviceBaseUrl;
  const BalanceResult balance = CheckBalance(serviceUrl, token);
  if (balance.ok) {
    return SetText(panel, IDC_BALANCE, u"Balance: " + FormatInt(balance.balance) + u" credits");
  }
  if (balance.error == kInvalidToken || balance.error == kTokenEmpty) {
    SetText(panel, IDC_BALANCE, u"Invalid token");
    return ShowBox(panel, u"Invalid token.\nUpdate your token at " + DashboardAddress(serviceUrl));
  }
  SetText(panel, IDC_BALANCE, u"Error");
  ShowBox(panel, u"Connection error:\n" + balance.error);
}

void OpenServiceSite(HWND panel) {
  ShellExecuteW(panel, L"open", Wide(Panel().serviceBaseUrl), nullptr, nullptr, SW_SHOWNORMAL);
}

void RunExportAndSend(HWND panel) {
  Win32PanelView view(panel);
  ExportAndSend(view, WorkflowContext{*Panel().host, Panel().serviceBaseUrl, HttpOptions{}});
}

struct CommandRow {
  int id;
  WORD code;
  void (*run)(HWND panel);
};

constexpr CommandRow kCommands[] = {
    {IDC_EXCHANGE_FOLDER, EN_KILLFOCUS, StoreExchangeFolder},
    {IDC_EXPORT_DISPLACEMENT, BN_CLICKED, StoreExportDisplacement},
    {IDC_BROWSE, BN_CLICKED, BrowseForExchangeFolder},
    {IDC_SAVE, BN_CLICKED, SaveToken},
    {IDC_REFRESH, BN_CLICKED, RefreshBalance},
    {IDC_LINK, STN_CLICKED, OpenServiceSite},
    {IDC_EXPORT_SEND, BN_CLICKED, RunExportAndSend},
};

void RunCommand(HWND panel, WPARAM wParam) {
  for (const CommandRow& row : kCommands) {
    if (row.id == LOWORD(wParam) && row.code == HIWORD(wParam)) return row.run(panel);
  }
}

}  // namespace

void ShowPanel(HINSTANCE instance, HWND owner) {
  if (Panel().window) {
    SetForegroundWindow(Panel().window);
    return;
  }
  Panel().window =
      CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_PANEL), owner, PanelDlgProc, 0);
  if (Panel().window) ShowWindow(Panel().window, SW_SHOW);
}

void ClosePanel() {
  if (!Panel().window) return;
  DestroyWindow(Panel().window);
  Panel().window = nullptr;
}

INT_PTR CALLBACK PanelDlgProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
  // Nothing may escape into the host's message dispatch.
  try {
    switch (message) {
      case WM_INITDIALOG:
        InitialisePanel(window);
        return TRUE;
      case WM_COMMAND:
        RunCommand(window, wParam);
        return TRUE;
      case WM_CLOSE:
        DestroyWindow(window);
        Panel().window = nullptr;
        return TRUE;
      default:
        return FALSE;
    }
  } catch (const std::exception& failure) {
    ShowBox(window, u"Unexpected error:\n" + FromUtf8(failure.what()));
  } catch (...) {
    ShowBox(window, u"Unexpected error.");
  }
  return TRUE;
}

Text ReadControlText(HWND window, int id) {
  wchar_t buffer[kReadBufferChars];
  const UINT length = GetDlgItemTextW(window, id, buffer, kReadBufferChars);
  return FromWide(buffer, length);
}

}  // namespace larkspur::module
