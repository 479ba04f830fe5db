#include "verify/report/host_text.h"

#include <cstring>

#include "host/korpus/entries.h"

namespace verify {

void ShowText(const char* caption, const char* text, std::int32_t kind) { korpus::MessageText(caption, text, kind); }

// The destination holds the text unconverted first, so that a host that
// converts nothing (its entry answered 0) still leaves a whole text there.
void ConvertText(char* destination, const char* source, std::int32_t from, std::int32_t to) {
  if (destination != source) std::memmove(destination, source, std::strlen(source) + 1);
  korpus::ConvertCodePage(destination, source, from, to);
}

}  // namespace verify
