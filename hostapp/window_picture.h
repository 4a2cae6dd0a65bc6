// A picture of a window as the screen shows it, saved as a PNG file.
#pragma once

#include <windows.h>

#include <string>

namespace larkspur::hostapp {

// Copies the window's rectangle from the screen (BitBlt, so child controls show as drawn) and
// saves it through GDI+. False when the copy or the file fails.
bool SaveWindowPicture(HWND window, const std::wstring& pngPath);

}  // namespace larkspur::hostapp
