#include "host/module_state.h"

namespace host {

ModuleState& Modules() {
  static ModuleState state;
  return state;
}

}  // namespace host
