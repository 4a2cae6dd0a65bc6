// Reading host parameters by internal name, case-insensitively, across every parameter block of
// an object, and turning a read into a parameter line.
#pragma once

#include <memory_resource>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "host/host.h"
#include "host/text.h"

namespace larkspur {

enum class ParamKind : int32_t {
  None = 0,
  Float = 1,
  Int = 2,
  Bool = 3,
  String = 4,
  Color = 5,
  Point3 = 6
};

// One parameter value read by name. Only the slot named by kind is meaningful; the others are zero.
struct ParamValue {
  ParamKind kind = ParamKind::None;
  float floatValue = 0.0f;
  int32_t intValue = 0;
  bool boolValue = false;
  Text stringValue;
  host::Color colorValue;
  host::Point3 pointValue;
};

// Where one internal name leads in an object's parameter blocks, in block and descriptor order:
// the first definition of the name (it decides table reads), the first whose type reads as a
// value (scalar reads pass over the others) and the first that holds a reference.
struct ParamSlot {
  const host::ParamBlock* block = nullptr;
  const host::ParamDef* def = nullptr;
};
struct NamedParams {
  ParamSlot first;
  ParamSlot firstValue;
  ParamSlot firstReference;
};

// Every named definition of one object by its internal name, compared ASCII-case-insensitively,
// so that each read finds its definition in constant time. The keys are views of the names the
// blocks keep: an index lives no longer than the object's blocks, and within one export.
class ParamIndex {
 public:
  // A null object has no parameters. The index's entries come from memory (a build gives them
  // all one arena, freed at once when the build ends).
  explicit ParamIndex(const host::Anim* object,
                      std::pmr::memory_resource* memory = std::pmr::get_default_resource());
  // The definitions of that name; null when no definition carries it.
  const NamedParams* Find(std::u16string_view name) const;

 private:
  struct FoldedHash {
    size_t operator()(std::u16string_view name) const;
  };
  struct FoldedEqual {
    bool operator()(std::u16string_view a, std::u16string_view b) const {
      return EqualsIgnoreCase(a, b);
    }
  };
  std::pmr::unordered_map<std::u16string_view, NamedParams, FoldedHash, FoldedEqual> byName_;
};

// The scalar read: the first definition of that name whose type has a kind.
ParamValue FindParamValue(const host::Interface& ip, const ParamIndex& params,
                          std::u16string_view name);
// The value of a material, texture-map or reference-target parameter; null when absent or empty.
host::Anim* FindParamRef(const host::Interface& ip, const ParamIndex& params,
                         std::u16string_view name);
// The element count of a table parameter, or -1. The first definition of that name decides.
int32_t FindParamTabCount(const ParamIndex& params, std::u16string_view name);
// Element index of a table parameter. The first definition of that name decides.
ParamValue FindParamTabValue(const host::Interface& ip, const ParamIndex& params,
                             std::u16string_view name, int index);

}  // namespace larkspur
