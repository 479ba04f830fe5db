// The libFuzzer entry of one target, chosen by FUZZ_TARGET when built. A
// broken rule is a crash: the input is kept by libFuzzer as crash-….
#include <cstdio>
#include <cstdlib>

#include "fuzz/targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string fault = fuzz::FUZZ_TARGET(fuzz::Input(data, size));
  if (!fault.empty()) {
    std::fprintf(stderr, "broken rule: %s\n", fault.c_str());
    std::abort();
  }
  return 0;
}
