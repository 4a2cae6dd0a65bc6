// larkspur package SCENE PACKAGE [--scene-out FILE]
#include <filesystem>

#include "cli/command.h"
#include "host/sim/scene_file.h"
#include "package/scene_package.h"

namespace larkspur::cli {
namespace {

constexpr char16_t kHelp[] =
    u"usage: larkspur package SCENE PACKAGE [--scene-out FILE]\n"
    u"\n"
    u"Loads the scene file SCENE into the simulated host and builds its scene package at PACKAGE,\n"
    u"with the package log beside it: PACKAGE cut before its last \".\", followed by .log\n"
    u"(1.json gives 1.log). Duplicate object names are renamed in the scene, as the exporter\n"
    u"does.\n"
    u"\n"
    u"  --scene-out FILE  write the scene, as the build left it, to FILE\n"
    u"\n"
    u"Prints whether the package was written, its object count and its log line count.\n"
    u"Exit status: 0 when the package was written, 1 when it could not be, 2 for a bad scene file\n"
    u"or bad arguments (nothing is written then).\n";

struct PackageArgs {
  Text scene;
  Text package;
  Text sceneOut;
};

bool ParseArgs(const Args& args, PackageArgs& out, Text& error) {
  std::vector<Text> positional;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == u"--scene-out") {
      if (i + 1 >= args.size()) {
        error = u"--scene-out needs a file";
        return false;
      }
      out.sceneOut = args[++i];
    } else if (!args[i].empty() && args[i][0] == u'-' && args[i] != u"-") {
      error = u"unknown option '" + args[i] + u"'";
      return false;
    } else {
      positional.push_back(args[i]);
    }
  }
  if (positional.size() != 2) {
    error = u"expected SCENE and PACKAGE";
    return false;
  }
  out.scene = positional[0];
  out.package = positional[1];
  return true;
}

}  // namespace

int RunPackageCommand(const Args& args) {
  for (const Text& a : args) {
    if (a == u"--help" || a == u"-h") {
      Print(kHelp);
      return kExitOk;
    }
  }
  PackageArgs parsed;
  Text error;
  if (!ParseArgs(args, parsed, error)) {
    PrintError(u"larkspur package: " + error + u" (see 'larkspur package --help')\n");
    return kExitUsage;
  }

  const sim::SceneLoadResult loaded = sim::LoadSceneFile(std::filesystem::path(parsed.scene));
  if (!loaded.ok) {
    PrintError(FromUtf8(loaded.message) + u"\n");
    return kExitUsage;
  }
  sim::SimHost& host = *loaded.host;

  const PackageResult result = BuildScenePackage(host, parsed.package);
  Print(u"ok: " + Text(result.ok ? u"true" : u"false") + u"\n");
  Print(u"objects: " + FormatInt(result.objectCount) + u"\n");
  Print(u"log lines: " + FormatInt(result.logLineCount) + u"\n");

  if (!parsed.sceneOut.empty()) {
    const sim::SceneWriteResult written =
        sim::WriteSceneFile(host, std::filesystem::path(parsed.sceneOut));
    if (!written.ok) {
      PrintError(FromUtf8(written.message) + u"\n");
      return kExitFailed;
    }
  }
  return result.ok ? kExitOk : kExitFailed;
}

}  // namespace larkspur::cli
