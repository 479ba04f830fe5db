#include "verify/model/text_helpers.h"

#include <cstdarg>

#include "host/korpus/entries.h"

namespace verify {

char* StripSpaces(char* text) {
  char* out = text;
  for (const char* in = text; *in != '\0'; ++in) {
    if (*in != ' ') *out++ = *in;
  }
  *out = '\0';
  return text;
}

std::int16_t ShowMessage(const char* caption, const char* format, std::int32_t kind, ...) {
  std::va_list args;
  va_start(args, kind);
  const std::int16_t answer = korpus::MessageFormatV(caption, format, kind, args);
  va_end(args);
  return answer;
}

void BoundedCopy(char* destination, const char* source, std::int16_t maximum) {
  korpus::CopyBounded(destination, source, maximum);
}

}  // namespace verify
