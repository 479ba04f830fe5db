#include "host/check_launch.h"

#include "verify/dialog/zrob_prufacje.h"

namespace host {

void RunCheck(const korpus_abi::ListState* state, const char* invoice_number, std::int32_t invoice_id) {
  verify::CZrobPrufacje check;
  check.Run(state, invoice_number, invoice_id);
}

}  // namespace host
