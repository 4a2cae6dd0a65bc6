// The panel window: a modeless dialog owned by the host's main window, at most one at a time.
#pragma once

#include <windows.h>

#include "host/text.h"

namespace larkspur::module {

// Brings an open panel to the front, or creates the panel from dialog resource 101 and shows it.
// A panel that cannot be created leaves no handle behind and reports nothing.
void ShowPanel(HINSTANCE instance, HWND owner);

// Destroys the panel, if one is open.
void ClosePanel();

// Handles WM_INITDIALOG, WM_COMMAND and WM_CLOSE (TRUE), nothing else (FALSE).
INT_PTR CALLBACK PanelDlgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// A control's text as GetDlgItemTextW gives it through a buffer of 2048 characters.
Text ReadControlText(HWND window, int id);

}  // namespace larkspur::module
