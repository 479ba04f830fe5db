#include "host/check_launch.h"

#include <exception>

#include "verify/dialog/zrob_prufacje.h"

namespace host {

// The object is destroyed on every way out of the run; a failure of the
// run comes first, one of the destruction after it.
void RunCheck(const korpus_abi::ListState* state, const char* invoice_number, std::int32_t invoice_id) {
  verify::CZrobPrufacje check;
  std::exception_ptr failure;
  try {
    check.Run(state, invoice_number, invoice_id);
  } catch (...) {
    failure = std::current_exception();
  }
  try {
    check.Destroy(0);
  } catch (...) {
    if (!failure) failure = std::current_exception();
  }
  if (failure) std::rethrow_exception(failure);
}

}  // namespace host
