#include "plugin/module/module_state.h"

#include "transfer/service_url.h"

namespace larkspur::module {

ModuleHandles& Module() {
  static ModuleHandles handles;
  return handles;
}

PanelState& Panel() {
  static PanelState panel{nullptr, nullptr, kServiceBaseUrl};
  return panel;
}

}  // namespace larkspur::module
