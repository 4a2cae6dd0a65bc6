// larkspur-host: the simulated host application. It loads the module as the host does, lists its
// classes, opens its utility over a scene file and runs until the panel is closed.
//   larkspur-host [--module FILE] [--service-url URL] SCENE
#include <windows.h>
// After windows.h, whose types it uses.
#include <shellapi.h>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "host/sim/scene_file.h"
#include "host/text.h"
#include "hostapp/module_host.h"

namespace larkspur::hostapp {
namespace {

constexpr char kProgram[] = "larkspur-host";
constexpr wchar_t kDefaultModule[] = L"LarkspurExporter.dlu";

std::wstring WideText(const std::string& utf8) {
  const Text text = FromUtf8(utf8);
  return std::wstring(text.begin(), text.end());
}

// The module beside this program, where the build puts a copy of it.
std::wstring ModuleBesideProgram() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  folder.resize(folder.find_last_of(L"\\/") + 1);
  return folder + kDefaultModule;
}

std::vector<std::string> Arguments() {
  int count = 0;
  wchar_t** words = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  for (int i = count - 1; i > 0; --i) {  // CLI11 takes them last first
    arguments.push_back(ToUtf8(reinterpret_cast<const char16_t*>(words[i])));
  }
  LocalFree(words);
  return arguments;
}

int Fail(const std::string& text) {
  std::fprintf(stderr, "%s: %s\n", kProgram, text.c_str());
  return 1;
}

int Run() {
  CLI::App app{"Loads the Larkspur module as the host does and opens its panel over a scene file.",
               kProgram};
  std::string scenePath, modulePath, serviceUrl;
  app.add_option("SCENE", scenePath, "scene file of the simulated host")->required();
  app.add_option("--module", modulePath,
                 "the module to load (default: the one beside this "
                 "program)");
  app.add_option("--service-url", serviceUrl,
                 "for development: the service the panel talks to instead of the built-in one");
  std::vector<std::string> arguments = Arguments();
  try {
    app.parse(arguments);
  } catch (const CLI::ParseError& error) {
    return app.exit(error);
  }

  sim::SceneLoadResult scene = sim::LoadSceneFile(WideText(scenePath));
  if (!scene.ok) return Fail(scene.message);
  PrepareHostThread();
  HWND mainWindow = CreateMainWindow();
  scene.host->mainWindow = mainWindow;

  ModuleLoadResult loaded =
      LoadModule(modulePath.empty() ? ModuleBesideProgram() : WideText(modulePath));
  if (!loaded.ok) return Fail(loaded.problem);
  LoadedModule& module = loaded.module;
  std::printf("%s\n", ToUtf8(reinterpret_cast<const char16_t*>(module.description())).c_str());
  for (const std::string& line : ListClasses(module)) std::printf("%s\n", line.c_str());
  std::fflush(stdout);

  if (!serviceUrl.empty() && !UseServiceUrl(module, WideText(serviceUrl))) {
    return Fail("this module cannot be pointed at another service");
  }

  host::ClassDesc* desc = FindUtility(module);
  host::UtilityObj* utility = desc ? OpenUtility(*desc, *scene.host) : nullptr;
  if (!utility) return Fail("the module has no public utility");
  MSG message;
  while (HasOwnedWindow(mainWindow) && GetMessageW(&message, nullptr, 0, 0) > 0) {
    DispatchHostMessage(message);
  }
  utility->EndEditParams(scene.host.get(), nullptr);
  UnloadModule(module);
  DestroyWindow(mainWindow);
  return 0;
}

}  // namespace
}  // namespace larkspur::hostapp

int main() {
  try {
    return larkspur::hostapp::Run();
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "larkspur-host: %s\n", failure.what());
  }
  return 1;
}
