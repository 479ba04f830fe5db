// Whether this build runs under the address sanitizer (GCC and clang say
// so differently), with its interface when it does.
#pragma once

#if defined(__SANITIZE_ADDRESS__)
#define KORPUS_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KORPUS_ASAN 1
#endif
#endif
#if defined(KORPUS_ASAN)
#include <sanitizer/asan_interface.h>
#endif
