// The argument bytes that the entry table declares, checked against the
// parameters as the 32-bit build passes them: every parameter takes a
// multiple of four bytes (a pointer four, a double eight), a METHOD's
// object is not counted, and a CALLER entry counts its fixed parameters.
// Included by one file of each build, so both check the same table.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <type_traits>

#include "abi/records.h"

namespace korpus_abi::argument_bytes {

template <class T>
constexpr int OnI686() {
  if constexpr (std::is_pointer_v<T> || std::is_reference_v<T>) {
    return 4;
  } else {
    return static_cast<int>((sizeof(T) + 3) / 4 * 4);
  }
}

template <class... A>
constexpr int FirstOf() {
  if constexpr (sizeof...(A) == 0) {
    return 0;
  } else {
    return [](auto first, auto...) { return OnI686<typename decltype(first)::type>(); }(std::type_identity<A>{}...);
  }
}

template <class F>
struct Of;
template <class R, class... A>
struct Of<R(A...)> {
  static constexpr int all = (0 + ... + OnI686<A>());
  static constexpr int first = FirstOf<A...>();
};
template <class R, class... A>
struct Of<R(A..., ...)> {
  static constexpr int all = (0 + ... + OnI686<A>());
  static constexpr int first = FirstOf<A...>();
};

#define KORPUS_ARGUMENT_BYTES_CALLEE(F) (::korpus_abi::argument_bytes::Of<F>::all)
#define KORPUS_ARGUMENT_BYTES_CALLER(F) (::korpus_abi::argument_bytes::Of<F>::all)
#define KORPUS_ARGUMENT_BYTES_METHOD(F) \
  (::korpus_abi::argument_bytes::Of<F>::all - ::korpus_abi::argument_bytes::Of<F>::first)
#define KORPUS_ENTRY(ordinal, conv, bytes, name, result, params) \
  static_assert(KORPUS_ARGUMENT_BYTES_##conv(result params) == (bytes), "argument bytes of " #name " (" #ordinal ")");
#define KORPUS_DIRECT(ordinal, conv, bytes, name, result, params) KORPUS_ENTRY(ordinal, conv, bytes, name, result, params)
#include "abi/korpus_entries.inc"
#undef KORPUS_ENTRY
#undef KORPUS_DIRECT
#undef KORPUS_ARGUMENT_BYTES_CALLEE
#undef KORPUS_ARGUMENT_BYTES_CALLER
#undef KORPUS_ARGUMENT_BYTES_METHOD

}  // namespace korpus_abi::argument_bytes
