#include <CLI/CLI.hpp>

#include <filesystem>
#include <memory>
#include <system_error>

#include "cli/scene_argument.h"
#include "transfer/texture_collection.h"

namespace larkspur::cli {
namespace {

constexpr char kFooter[] =
    "Copies the image files of the bitmap maps of SCENE into JOB_FOLDER's textures folder, as the\n"
    "exporter does for each job; JOB_FOLDER is made when it is missing. Prints copied= and the\n"
    "number of files found and copied, then one \"Missing: \" line per file not found.\n"
    "A texture path that does not exist as written is looked for in the folder of the scene's\n"
    "file (the scene's \"file_path\" setting or, when it names none, SCENE itself, as a saved\n"
    "scene would have it), then through the scene's \"resolve\" table.\n"
    "Exit status: 0 done, 1 when JOB_FOLDER could not be made, 2 for a bad scene file or bad\n"
    "arguments (nothing is written then).";

struct TexturesOptions {
  SceneArguments scene;
  std::string jobFolder;
};

// The host's current file path for a scene file that names none: the file itself, absolute, so
// that its folder is known whatever the working directory.
Text LoadedFilePath(const std::string& scene) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(PathArgument(scene), error);
  return error ? TextArgument(scene) : TextArgument(absolute.u8string());
}

int RunTextures(sim::SimHost& host, const TexturesOptions& options, const Console& console) {
  const std::filesystem::path jobFolder = PathArgument(options.jobFolder);
  std::error_code error;
  std::filesystem::create_directories(jobFolder, error);
  if (!std::filesystem::is_directory(jobFolder, error)) {
    console.err << "Cannot make the job folder " << options.jobFolder << "\n";
    return kExitFailed;
  }
  if (host.filePath.empty()) host.filePath = LoadedFilePath(options.scene.scene);
  const TextureCollectResult result = CollectTextures(host, TextArgument(options.jobFolder));
  console.out << "copied=" << std::to_string(result.copied) << "\n";
  for (const Text& missing : result.missing) console.out << ToUtf8(missing) << "\n";
  return kExitOk;
}

}  // namespace

CommandRun DefineTexturesCommand(CLI::App& command) {
  auto options = std::make_shared<TexturesOptions>();
  command.footer(kFooter);
  AddSceneArgument(command, options->scene);
  AddRequiredArgument(command, "JOB_FOLDER", options->jobFolder,
                      "job folder to copy the textures into");
  return RunStepOnScene<TexturesOptions>(options, RunTextures);
}

}  // namespace larkspur::cli
