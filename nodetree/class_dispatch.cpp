#include "nodetree/class_dispatch.h"

#include "nodetree/bitmap_params.h"
#include "nodetree/gradient_ramp.h"
#include "nodetree/layered_maps.h"
#include "nodetree/map_tables.h"
#include "nodetree/material_tables.h"

namespace larkspur {
namespace {

struct DispatchRule {
  std::u16string_view name;  // lower case
  ParamTable table;
};

// Tested first, against the whole lower-cased class name, in this order.
constexpr DispatchRule kExactRules[] = {
    {u"coronabitmap",       kCoronaBitmapRows     },
    {u"coronamtl",          kCoronaMaterialRows   },
    {u"coronalayeredmtl",   kLayeredMaterialRows  },
    {u"coronamixtex",       kMixRows              },
    {u"coronablendmtl",     kBlendMaterialRows    },
    {u"coronanormaltex",    kNormalRows           },
    {u"coronabumptex",      kBumpRows             },
    {u"coronacolortex",     kCoronaColorRows      },
    {u"coronacolor",        kCoronaColorRows      },
    {u"coronalightmtl",     kLightMaterialRows    },
    {u"coronaskinmtl",      kSkinMaterialRows     },
    {u"coronarayswitchmtl", kRaySwitchMaterialRows},
    {u"coronaaotexmap",     kAmbientOcclusionRows },
    {u"coronafrontback",    kFrontBackRows        },
    {u"falloff",            kFalloffRows          },
    {u"mix",                kMixRows              },
    {u"noise",              kNoiseRows            },
    {u"output",             kOutputRows           },
    {u"gradient",           kGradientRows         },
    {u"gradient_ramp",      kGradientRampRows     },
    {u"gradientramp",       kGradientRampRows     },
    {u"gradient ramp",      kGradientRampRows     },
    {u"bitmaptexture",      kBitmapRows           },
    {u"bitmap",             kBitmapRows           },
    {u"color_correction",   kColorCorrectionRows  },
    {u"color correction",   kColorCorrectionRows  },
    {u"cellular",           kCellularRows         },
    {u"rgb_multiply",       kRgbMultiplyRows      },
    {u"color_map",          kSolidColorRows       },
    {u"blend",              kBlendRows            },
    {u"multitexture",       kMultiTextureRows     },
};

// Tested when no exact rule matched, for a part of the lower-cased class name, in this order:
// an earlier rule wins over a later one that the name also contains ("coronacolorcorrect"
// before "coronacolor"), and "ao" catches every remaining name with those two letters.
constexpr DispatchRule kContainmentRules[] = {
    {u"legacy",             kCoronaMaterialRows    },
    {u"physical",           kCoronaMaterialRows    },
    {u"lightmtl",           kLightMaterialRows     },
    {u"skinmtl",            kSkinMaterialRows      },
    {u"ao",                 kAmbientOcclusionRows  },
    {u"composite",          kCompositeRows         },
    {u"coronacolorcorrect", kCoronaColorCorrectRows},
    {u"coronamix",          kMixRows               },
    {u"coronacolor",        kCoronaColorRows       },
    {u"rgb_multiply",       kRgbMultiplyRows       },
    {u"color_map",          kSolidColorRows        },
    {u"multimap",           kMultiMapRows          },
    {u"roundedge",          kRoundEdgeRows         },
    {u"triplanar",          kTriplanarRows         },
};

}  // namespace

const ParamTable* FindParamTable(std::u16string_view className) {
  const Text key = ToLowerAscii(className);
  for (const DispatchRule& rule : kExactRules) {
    if (key == rule.name) return &rule.table;
  }
  for (const DispatchRule& rule : kContainmentRules) {
    if (key.find(rule.name) != Text::npos) return &rule.table;
  }
  return nullptr;
}

const KeptTexts& ExportNodeParams(host::Interface& ip, BuildCache& cache,
                                  const host::Anim& object) {
  CachedNode& node = cache.NodeOf(object);
  if (node.paramsMade) return node.paramLines;
  ParamLines lines;
  if (const ParamTable* table = FindParamTable(object.GetClassName())) {
    lines =
        ExportRows(RowContext{ip, object, cache.ParamsOf(object), nullptr, ip.GetTime()}, *table);
  }
  // Kept only once made: a read that throws leaves nothing behind to reuse.
  node.paramLines.reserve(lines.size());
  for (size_t i = 0; i < lines.size(); ++i) node.paramLines.emplace_back(lines[i]);
  node.paramsMade = true;
  return node.paramLines;
}

}  // namespace larkspur
