#include "hostapp/module_host.h"

// After windows.h, whose types it uses.
#include <ole2.h>

#include <cstdio>

#include "host/text.h"

namespace larkspur::hostapp {
namespace {

constexpr wchar_t kMainWindowClass[] = L"LarkspurHostMainWindow";
constexpr wchar_t kDialogClass[] = L"#32770";

std::string Utf8(const wchar_t* text) {
  if (!text) return "(none)";
  return ToUtf8(reinterpret_cast<const char16_t*>(text));
}

std::string Hex(unsigned long value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%lX", value);
  return text;
}

template <typename Function>
bool Export(HMODULE module, const char* name, Function& function, std::string& missing) {
  function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  if (!function) missing += std::string(missing.empty() ? "" : ", ") + name;
  return function != nullptr;
}

bool IsDialog(HWND window) {
  wchar_t name[16];
  return GetClassNameW(window, name, 16) > 0 && lstrcmpW(name, kDialogClass) == 0;
}

}  // namespace

ModuleLoadResult LoadModule(const std::wstring& path) {
  ModuleLoadResult result;
  LoadedModule& module = result.module;
  module.handle = LoadLibraryW(path.c_str());
  if (!module.handle) {
    result.problem = "cannot load the module (error " + std::to_string(GetLastError()) + ")";
    return result;
  }
  std::string missing;
  Export(module.handle, "LibDescription", module.description, missing);
  Export(module.handle, "LibNumberClasses", module.numberClasses, missing);
  Export(module.handle, "LibClassDesc", module.classDesc, missing);
  Export(module.handle, "LibVersion", module.version, missing);
  Export(module.handle, "LibInitialize", module.initialize, missing);
  Export(module.handle, "LibShutdown", module.shutdown, missing);
  if (!missing.empty()) {
    result.problem = "the module does not export " + missing;
  } else if (module.version() != host::VERSION_3DSMAX) {
    result.problem = "the module was built for SDK version " + Hex(module.version()) +
                     ", this host is " + Hex(host::VERSION_3DSMAX);
  } else if (!module.initialize()) {
    result.problem = "the module's LibInitialize failed";
  } else {
    result.ok = true;
    return result;
  }
  FreeLibrary(module.handle);
  module = LoadedModule{};
  return result;
}

void UnloadModule(LoadedModule& module) {
  if (!module.handle) return;
  module.shutdown();
  FreeLibrary(module.handle);
  module = LoadedModule{};
}

std::vector<std::string> ListClasses(const LoadedModule& module) {
  std::vector<std::string> lines;
  const int count = module.numberClasses();
  for (int i = 0; i < count; ++i) {
    host::ClassDesc* desc = module.classDesc(i);
    if (!desc) {
      lines.push_back("class " + std::to_string(i) + ": no descriptor");
      continue;
    }
    const host::Class_ID id = desc->ClassID();
    lines.push_back("class " + std::to_string(i) + ": \"" + Utf8(desc->Category()) + "\" / \"" +
                    Utf8(desc->ClassName()) + "\" (internal name \"" + Utf8(desc->InternalName()) +
                    "\"), super class " + Hex(desc->SuperClassID()) + ", class id (" +
                    Hex(id.PartA()) + ", " + Hex(id.PartB()) + ")" +
                    (desc->IsPublic() ? ", public" : ", hidden"));
  }
  return lines;
}

bool UseServiceUrl(const LoadedModule& module, const std::wstring& url) {
  using UseServiceUrlFn = void (*)(const wchar_t*);
  UseServiceUrlFn use = nullptr;
  std::string missing;
  if (!Export(module.handle, "LarkspurUseServiceUrl", use, missing)) return false;
  use(url.c_str());
  return true;
}

host::ClassDesc* FindUtility(const LoadedModule& module) {
  const int count = module.numberClasses();
  for (int i = 0; i < count; ++i) {
    host::ClassDesc* desc = module.classDesc(i);
    if (desc && desc->IsPublic() && desc->SuperClassID() == host::UTILITY_CLASS_ID) return desc;
  }
  return nullptr;
}

host::UtilityObj* OpenUtility(host::ClassDesc& desc, host::Interface& ip) {
  auto* utility = static_cast<host::UtilityObj*>(desc.Create(FALSE));
  if (utility) utility->BeginEditParams(&ip, nullptr);
  return utility;
}

HWND CreateMainWindow() {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = kMainWindowClass;
  RegisterClassExW(&windowClass);  // a second registration fails harmlessly
  return CreateWindowExW(0, kMainWindowClass, L"Larkspur host", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480,
                         nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

void DispatchHostMessage(MSG& message) {
  HWND root = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
  if (root && IsDialog(root) && IsDialogMessageW(root, &message)) return;
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

bool HasOwnedWindow(HWND owner) {
  struct Search {
    HWND owner;
    bool found;
  } search{owner, false};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM data) -> BOOL {
        auto* search = reinterpret_cast<Search*>(data);
        search->found = GetWindow(window, GW_OWNER) == search->owner;
        return !search->found;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void PrepareHostThread() {
  if (!SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2)) {
    SetProcessDPIAware();
  }
  OleInitialize(nullptr);
}

}  // namespace larkspur::hostapp
