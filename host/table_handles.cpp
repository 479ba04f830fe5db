#include "host/table_handles.h"

namespace host {

TableHandles& Tables() {
  static TableHandles handles;
  return handles;
}

}  // namespace host
