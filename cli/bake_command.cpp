#include "cli/scene_argument.h"
#include "transfer/vertex_color_bake.h"

namespace larkspur::cli {
namespace {

constexpr char kFooter[] =
    "Bakes the per-element choice of the MultiTexture and CoronaMultiMap maps of SCENE into "
    "vertex\n"
    "colours, as the exporter does first on every export. Prints each host log entry the bake "
    "made\n"
    "(its type INFO, WARN or ERROR, a tab, its title, a tab, its text), then baked= and the "
    "number\n"
    "of nodes baked.\n"
    "Exit status: 0 done, 1 when the scene could not be written, 2 for a bad scene file or bad\n"
    "arguments (nothing is written then).";

const char* LogTypeName(host::LogType type) {
  switch (type) {
    case host::LogType::kError:
      return "ERROR";
    case host::LogType::kWarn:
      return "WARN";
    case host::LogType::kInfo:
      return "INFO";
    case host::LogType::kDebug:
      return "DEBUG";
  }
  return "UNKNOWN";
}

int RunBake(sim::SimHost& host, const Console& console) {
  const size_t logged = host.log.size();
  const int32_t baked = BakeMultiTextureVC(host);
  for (size_t i = logged; i < host.log.size(); ++i) {
    const sim::SimLogEntry& entry = host.log[i];
    console.out << LogTypeName(entry.type) << "\t" << ToUtf8(entry.title) << "\t"
                << ToUtf8(entry.text) << "\n";
  }
  console.out << "baked=" << std::to_string(baked) << "\n";
  return kExitOk;
}

}  // namespace

CommandRun DefineBakeCommand(CLI::App& command) {
  return DefineSceneStepCommand(command, kFooter, RunBake);
}

}  // namespace larkspur::cli
