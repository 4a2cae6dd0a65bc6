// The scene's geometry as one FBX file, written by the host's own exporter.
#pragma once

#include "host/host.h"

namespace larkspur {

// Exports the whole scene to path without the exporter's dialogue and checks that the file is
// there. errorText is emptied, and on failure holds the text to show the user.
bool ExportFbx(host::Interface& ip, const host::Text& path, host::Text& errorText);

}  // namespace larkspur
