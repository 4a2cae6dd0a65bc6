// The panel's logo: a PNG image resource drawn into a bitmap through GDI+.
#pragma once

#include <windows.h>

namespace larkspur::module {

// Decodes the RT_RCDATA resource resourceId of instance and hands the bitmap to the picture
// control. On success the module keeps the new bitmap and deletes the one it kept before; on any
// failure the kept bitmap and the control stay as they were.
bool LoadLogoBitmap(HWND control, int resourceId, HINSTANCE instance);

}  // namespace larkspur::module
