// The module's process-wide state, one record for the module's handles and one for its panel.
// Everything here lives as long as the module is loaded and is only touched on the host's
// user-interface thread, so it needs no locking.
#pragma once

#include <windows.h>

#include "host/host.h"
#include "host/text.h"

namespace larkspur::module {

struct ModuleHandles {
  HINSTANCE instance = nullptr;            // stored by DllMain on every call
  bool commonControlsInitialised = false;  // by DllMain on its first call
  ULONG_PTR gdiplusToken = 0;              // from LibInitialize until LibShutdown
  HBITMAP logo = nullptr;                  // the latest logo LoadLogoBitmap made
};

struct PanelState {
  HWND window = nullptr;            // null while no panel exists
  host::Interface* host = nullptr;  // the Interface the last BeginEditParams handed over
  Text serviceBaseUrl;              // the service the panel talks to
};

ModuleHandles& Module();
PanelState& Panel();

}  // namespace larkspur::module
