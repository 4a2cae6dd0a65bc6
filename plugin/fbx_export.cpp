#include "plugin/fbx_export.h"

#include "host/file_path.h"

namespace larkspur {

bool ExportFbx(host::Interface& ip, const host::Text& path, host::Text& errorText) {
  errorText.clear();
  constexpr bool kSuppressPrompts = true;
  constexpr uint32_t kWholeScene = 0;
  if (!ip.ExportToFile(path, kSuppressPrompts, kWholeScene)) {
    errorText =
        u"FBX export failed (FBX exporter not available or export was rejected \u2014 is the FBX "
        u"plugin installed in 3ds Max?)";
    return false;
  }
  if (!PathExists(path)) {
    errorText = u"FBX was not created:\n" + path +
                u"\n\nPossible reasons:\n\u2022 Exchange Folder is not accessible from Windows\n"
                u"\u2022 No write permissions\n\u2022 FBX export settings prohibit export";
    return false;
  }
  return true;
}

}  // namespace larkspur
