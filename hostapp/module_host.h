// What the host application does with a utility module: load it by its exported functions, list
// its classes, open its utility with the host's Interface, and unload it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "host/plugin_contract.h"

namespace larkspur::hostapp {

struct LoadedModule {
  HMODULE handle = nullptr;
  host::LibDescriptionFn description = nullptr;
  host::LibNumberClassesFn numberClasses = nullptr;
  host::LibClassDescFn classDesc = nullptr;
  host::LibVersionFn version = nullptr;
  host::LibInitializeFn initialize = nullptr;
  host::LibShutdownFn shutdown = nullptr;
};

struct ModuleLoadResult {
  bool ok = false;
  std::string problem;  // UTF-8; empty when ok
  LoadedModule module;  // loaded and initialised when ok, nothing held otherwise
};

// LoadLibraryW, the six exports by name, the SDK version check, then LibInitialize. A module that
// lacks an export, was built for another SDK version or fails to initialise is unloaded again.
ModuleLoadResult LoadModule(const std::wstring& path);

// LibShutdown, then FreeLibrary.
void UnloadModule(LoadedModule& module);

// One line per class descriptor, as UTF-8: index, category, class name, internal name, super
// class, class id and whether the user sees it.
std::vector<std::string> ListClasses(const LoadedModule& module);

// For development and tests: points the module's panel at another service through its
// LarkspurUseServiceUrl export. False when the module has no such export.
bool UseServiceUrl(const LoadedModule& module, const std::wstring& url);

// The first public utility's descriptor, or null.
host::ClassDesc* FindUtility(const LoadedModule& module);

// What the host does when the user opens the utility: Create, then BeginEditParams.
host::UtilityObj* OpenUtility(host::ClassDesc& desc, host::Interface& ip);

// The host's main window, which owns the panel: a plain top-level window, never shown.
HWND CreateMainWindow();

// Handles one message as the host's loop does: keyboard navigation for dialogs (IsDialogMessageW
// on the message's top-level window), everything else translated and dispatched.
void DispatchHostMessage(MSG& message);

// Whether a top-level window of this thread is owned by owner.
bool HasOwnedWindow(HWND owner);

// Per-monitor DPI awareness, as the host has, and OLE for the shell's folder browser.
void PrepareHostThread();

}  // namespace larkspur::hostapp
