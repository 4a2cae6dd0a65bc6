// Parameter table of the host's gradient ramp map, whose colour stops only a script can read.
#pragma once

#include "nodetree/param_rows.h"

namespace larkspur {

// Runs the probe script for the map of that name: the stops as "position,r,g,b" records joined by
// "|" (position 0..100, colour 0..255), an "ERROR:" answer, or the empty text when the script fails
// or does not answer with a string.
Text ProbeGradientKeys(host::Interface& ip, const Text& mapName);

struct GradientKey {
  float position;     // 0..1
  host::Color color;  // 0..1
};

// The keys of a probe answer, sorted by position: records of four finite numbers become keys; any
// other record is passed over, so that one bad stop does not cost the others.
std::vector<GradientKey> ParseGradientKeys(std::u16string_view answer);

// "key" with the stops the probe finds for the map's name, sorted by position; nothing when the
// probe finds none.
void GradientKeysRow(const RowContext& context, const ParamRow& row, ParamLines& lines);

// "Gradient_Type" and "gradientType" are two names, not two spellings of one: versions of the
// map carry one or the other.
inline constexpr ParamRow kGradientRampRows[] = {
    {u"gradient_type", u"Gradient_Type", LineRow        },
    {u"gradient_type", u"gradientType",  LineRow        },
    {u"noise_type",    u"Noise_Type",    LineRow        },
    {u"noise_amount",  u"amount",        LineRow        },
    {u"noise_size",    u"size",          LineRow        },
    {u"noise_phase",   u"phase",         LineRow        },
    {u"noise_levels",  u"levels",        LineRow        },
    {u"keys",          u"",              GradientKeysRow},
};

}  // namespace larkspur
