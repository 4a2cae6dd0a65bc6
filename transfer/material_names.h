// Unique, safe material names for the length of one export: the FBX file and the scene package
// carry them, and afterwards every material gets its own name back.
#pragma once

#include <vector>

#include "host/host.h"

namespace larkspur {

struct MtlRestoreEntry {
  host::Anim* mtl = nullptr;  // the scene's material, not owned
  host::Text previousName;    // its name just before the rename
};

// The key of a name: letters, digits, "-" and "_" only, runs of "_" as one, no trailing "_",
// at most 56 characters (a longer one is cut and ends in "_" and 6 hex digits of its hash).
host::Text NormalizeMtlName(std::u16string_view name);

// Renames the materials of the scene's geometry (and their sub-materials) to their keys;
// materials whose keys coincide are numbered _01, _02, ... in the order the scene walk reaches
// them. Returns one entry per rename, in the order made. When a host call throws, the names
// changed so far are put back before the exception goes on.
std::vector<MtlRestoreEntry> DeduplicateMaterialNames(const host::Interface& ip);

// Gives every entry's material its previous name back, in order; entries without one are skipped.
// Nothing escapes: a rename that throws is passed over and the others still happen.
void RestoreMaterialNames(const std::vector<MtlRestoreEntry>& entries) noexcept;

// Holds a restore list and puts the names back exactly once: at Restore() or, failing that, when
// it is destroyed, also while an exception unwinds. Move-only, so one list has one owner.
class MaterialNameRestorer {
 public:
  MaterialNameRestorer() = default;
  explicit MaterialNameRestorer(std::vector<MtlRestoreEntry> entries);
  MaterialNameRestorer(MaterialNameRestorer&& other) noexcept;
  MaterialNameRestorer& operator=(MaterialNameRestorer&& other) noexcept;
  MaterialNameRestorer(const MaterialNameRestorer&) = delete;
  MaterialNameRestorer& operator=(const MaterialNameRestorer&) = delete;
  ~MaterialNameRestorer();

  // Restores now; later calls and the destructor do nothing more.
  void Restore() noexcept;
  const std::vector<MtlRestoreEntry>& Entries() const { return entries_; }

 private:
  std::vector<MtlRestoreEntry> entries_;
};

}  // namespace larkspur
