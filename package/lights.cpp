#include "package/lights.h"

namespace larkspur {

// Lights are not exported yet: only the summary line is logged.
Text CollectLightsJson(host::Interface&, std::vector<Text>& packageLog) {
  packageLog.push_back(u"Lights exported: 0 (instance groups: 0)");
  return Text();
}

}  // namespace larkspur
