// The module's entry point and its exported functions, looked up by the host by their plain names
// (module.def).
#include <windows.h>
// After windows.h, whose types they use.
#include <commctrl.h>
#include <objidl.h>
// After objidl.h, whose stream and property types it uses.
#include <gdiplus.h>

#include "plugin/module/module_state.h"
#include "plugin/module/utility.h"
#include "transfer/service_url.h"

using larkspur::module::Module;

BOOL WINAPI DllMain(HINSTANCE instance, DWORD, LPVOID) {
  Module().instance = instance;
  if (!Module().commonControlsInitialised) {
    Module().commonControlsInitialised = true;
    InitCommonControls();  // the panel's progress bar class
  }
  return TRUE;
}

extern "C" {

const wchar_t* LibDescription() {
  return L"Larkspur-C Exporter";
}

int LibNumberClasses() {
  return 1;
}

larkspur::host::ClassDesc* LibClassDesc(int i) {
  return i == 0 ? &larkspur::module::TheClassDesc() : nullptr;
}

ULONG LibVersion() {
  return larkspur::host::VERSION_3DSMAX;
}

// GDI+ draws the panel's logo. A failed start is not examined: the logo then stays empty.
int LibInitialize() {
  Gdiplus::GdiplusStartupInput input;  // version 1, no debug callback, no background suppression
  Gdiplus::GdiplusStartup(&Module().gdiplusToken, &input, nullptr);
  return TRUE;
}

int LibShutdown() {
  if (Module().logo) {
    DeleteObject(Module().logo);
    Module().logo = nullptr;
  }
  if (Module().gdiplusToken != 0) {
    Gdiplus::GdiplusShutdown(Module().gdiplusToken);
    Module().gdiplusToken = 0;
  }
  return TRUE;
}

// For development and tests only, never called by the host: points the panel at another service
// (a local stand-in); null goes back to the built-in one.
void LarkspurUseServiceUrl(const wchar_t* url) {
  larkspur::module::Panel().serviceBaseUrl =
      url ? larkspur::Text(reinterpret_cast<const char16_t*>(url)) : larkspur::kServiceBaseUrl;
}

}  // extern "C"
