// Message boxes of the host, handed to the front end in use.
#include <cstdarg>

#include "standin/entries.h"
#include "standin/format.h"
#include "standin/frontend.h"

namespace standin::entry {

std::int16_t KORPUS_CALLEE MessageFormatV(const char* caption, const char* format, std::int32_t kind,
                                          std::va_list args) {
  return CurrentFrontEnd().ShowBox({caption, FormatV(format, args), kind});
}

std::int16_t KORPUS_CALLER MessageFormat(const char* caption, const char* format, std::int32_t style, ...) {
  std::va_list args;
  va_start(args, style);
  std::string text = FormatV(format, args);
  va_end(args);
  return CurrentFrontEnd().ShowBox({caption, std::move(text), style});
}

std::int16_t KORPUS_CALLEE MessageText(const char* caption, const char* text, std::int32_t kind) {
  return CurrentFrontEnd().ShowBox({caption, text, kind});
}

std::int16_t KORPUS_CALLER Notice(std::int32_t, std::int16_t* flag, std::int32_t, const char* text) {
  std::int16_t ignored = 0;
  CurrentFrontEnd().ShowNotice(text, flag != nullptr ? *flag : ignored);
  return 0;
}

void KORPUS_CALLEE Signal() { CurrentFrontEnd().Signal(); }

}  // namespace standin::entry
