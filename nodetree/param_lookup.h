// Reading host parameters by internal name, case-insensitively, across every parameter block of
// an object, and turning a read into a parameter line.
#pragma once

#include <memory>
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
  int block = -1;                       // the block's index in the object
  const host::ParamDef* def = nullptr;  // in that block's descriptor
};
struct NamedParams {
  ParamSlot first;
  ParamSlot firstValue;
  ParamSlot firstReference;
};

// Every named definition of an object's blocks by its internal name, compared
// ASCII-case-insensitively, so that each read finds its definition in constant time. It depends
// only on the blocks' descriptors, so objects whose blocks have the same descriptors share one.
// The keys are views of the names the descriptors keep: it lives no longer than they do, and
// within one export.
class ParamNames {
 public:
  // A null object has no parameters. The entries come from memory (a build gives them all one
  // arena, freed at once when the build ends).
  explicit ParamNames(const host::Anim* object,
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

// One object's parameters by name: the names of its descriptors, and the object whose blocks a
// read takes.
class ParamIndex {
 public:
  // With names of its own; a null object has no parameters.
  explicit ParamIndex(const host::Anim* object,
                      std::pmr::memory_resource* memory = std::pmr::get_default_resource());
  // With names made for another object whose blocks have the same descriptors.
  ParamIndex(const host::Anim& object, const ParamNames& shared);

  const NamedParams* Find(std::u16string_view name) const { return names_->Find(name); }
  // The object's block at that index of a slot this index found.
  const host::ParamBlock& Block(int index) const;

 private:
  const host::Anim* object_ = nullptr;
  std::unique_ptr<ParamNames> own_;
  const ParamNames* names_ = nullptr;
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
