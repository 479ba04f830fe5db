// The one Windows user-interface call that the plug-in makes on its own,
// answered by the stand-in's front end the way the system would show it.
#include <cstdint>

#include "standin/frontend.h"

extern "C" __attribute__((visibility("default"))) int MessageBoxA(void*, const char* text, const char* caption,
                                                                  std::uint32_t) {
  return standin::CurrentFrontEnd().ShowSystemBox(caption != nullptr ? caption : "", text != nullptr ? text : "");
}
