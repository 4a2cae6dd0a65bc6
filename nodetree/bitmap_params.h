// Parameter lines of image textures: the file as its bare name and its full path, then how the
// image is placed. The Corona bitmap keeps placement in its parameters, the host bitmap in its
// UV generator.
#pragma once

#include <vector>

#include "host/host.h"
#include "host/text.h"
#include "nodetree/param_rows.h"

namespace larkspur {

std::vector<Text> ExportCoronaBitmapParams(host::Interface& ip, const host::Anim& object);
std::vector<Text> ExportBitmapParams(host::Interface& ip, const host::Anim& object);

// The part of a path after its last backslash or forward slash; the path itself without one.
Text FileNameOfPath(const Text& path);

// Row operations of the bitmap tables.
// "key" with the file name of the path parameter: always, empty without a file.
void FileNameRow(std::vector<Text>& lines, const host::Interface& ip, const host::Anim& object,
                 const ParamRow& row);
// "key" with the whole path, only when there is one.
void FilePathRow(std::vector<Text>& lines, const host::Interface& ip, const host::Anim& object,
                 const ParamRow& row);
// The x or y of a Point3 parameter; nothing for any other kind.
void PointXRow(std::vector<Text>& lines, const host::Interface& ip, const host::Anim& object,
               const ParamRow& row);
void PointYRow(std::vector<Text>& lines, const host::Interface& ip, const host::Anim& object,
               const ParamRow& row);
// A float angle in radians written in degrees by the Corona bitmap's factor; nothing for any
// other kind.
void DegreesRow(std::vector<Text>& lines, const host::Interface& ip, const host::Anim& object,
                const ParamRow& row);

}  // namespace larkspur
