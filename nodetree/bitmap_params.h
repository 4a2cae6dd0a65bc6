// Parameter tables of image textures: the file as its bare name and its full path, then how the
// image is placed. The Corona bitmap keeps placement in its parameters, the host bitmap in its
// UV generator.
#pragma once

#include "nodetree/param_rows.h"

namespace larkspur {

// "key" with the file name of the path parameter: always, empty without a file.
void FileNameRow(const RowContext& context, const ParamRow& row, ParamLines& lines);
// "key" with the whole path, only when there is one.
void FilePathRow(const RowContext& context, const ParamRow& row, ParamLines& lines);
// The x or y of a Point3 parameter; nothing for any other kind.
void PointXRow(const RowContext& context, const ParamRow& row, ParamLines& lines);
void PointYRow(const RowContext& context, const ParamRow& row, ParamLines& lines);
// A float angle in radians written in degrees by the Corona bitmap's factor; nothing for any
// other kind.
void DegreesRow(const RowContext& context, const ParamRow& row, ParamLines& lines);
// The host bitmap's placement from its UV generator: tiling, tile and mirror modes, offset, map
// channel and rotation. Nothing for another class or without a UV generator.
void UvPlacementRow(const RowContext& context, const ParamRow& row, ParamLines& lines);
// When the bool parameter is on: "key":true, then the host bitmap's crop lines.
void CropRow(const RowContext& context, const ParamRow& row, ParamLines& lines);

inline constexpr ParamRow kCoronaBitmapRows[] = {
    {u"filepath",      u"filename",       FileNameRow},
    {u"filepath_abs",  u"filename",       FilePathRow},
    {u"tiling_u",      u"uvwScale",       PointXRow  },
    {u"tiling_v",      u"uvwScale",       PointYRow  },
    {u"offset_u",      u"uvwOffset",      PointXRow  },
    {u"offset_v",      u"uvwOffset",      PointYRow  },
    {u"uvw_channel",   u"uvwChannel",     LineRow    },
    {u"rotate_w",      u"wAngle",         DegreesRow },
    {u"color_space",   u"colorSpace",     LineRow    },
    {u"gamma",         u"gamma",          LineRow    },
    {u"output_amount", u"outputAmount",   LineRow    },
    {u"tiling_mode_u", u"tilingU",        LineRow    },
    {u"tiling_mode_v", u"tilingV",        LineRow    },
    {u"filter_type",   u"filterType",     LineRow    },
    {u"crop_enabled",  u"clippingOn",     LineRow    },
    {u"crop_mode",     u"clippingMode",   LineRow    },
    {u"crop_u",        u"clippingU",      LineRow    },
    {u"crop_v",        u"clippingV",      LineRow    },
    {u"crop_w",        u"clippingWidth",  LineRow    },
    {u"crop_h",        u"clippingHeight", LineRow    },
};

inline constexpr ParamRow kBitmapRows[] = {
    {u"filepath",     u"filename", FileNameRow   },
    {u"filepath_abs", u"filename", FilePathRow   },
    {u"",             u"",         UvPlacementRow},
    {u"crop_apply",   u"apply",    CropRow       },
};

}  // namespace larkspur
