#include "verify/report/host_text.h"

#include "host/korpus/entries.h"

namespace verify {

void ShowText(const char* caption, const char* text, std::int32_t kind) { korpus::MessageText(caption, text, kind); }

void ConvertText(char* destination, const char* source, std::int32_t from, std::int32_t to) {
  korpus::ConvertCodePage(destination, source, from, to);
}

}  // namespace verify
