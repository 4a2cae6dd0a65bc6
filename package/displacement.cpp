#include "package/displacement.h"

namespace larkspur {

// Displacement modifiers are not read yet.
Text BuildDisplacementJson(const host::Interface&, const host::Node*) {
  return u"null";
}

}  // namespace larkspur
