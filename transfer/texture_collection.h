// Copies the image files that the materials of the scene's geometry use into the job folder, so
// that the job carries its textures with it.
#pragma once

#include <vector>

#include "host/host.h"

namespace larkspur {

struct TextureCollectResult {
  int32_t copied = 0;               // distinct source files a copy was attempted for
  std::vector<host::Text> missing;  // "Missing: " + file name, one per distinct path not found
};

// Copies every file of the scene's bitmap maps (the host's Bitmap and CoronaBitmap) flat into
// jobFolder's "textures" folder, each under its own file name; a later file of the same name
// overwrites an earlier one. Paths that do not exist as written are looked for beside the scene
// file, then through the host's file resolution. Nothing here throws or stops on a file-system
// failure: a failed copy is simply absent.
TextureCollectResult CollectTextures(const host::Interface& ip, const host::Text& jobFolder);

}  // namespace larkspur
