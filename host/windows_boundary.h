// Windows: how a failure leaves the plug-in. Its runtime is linked in, so
// a C++ exception cannot unwind through the host's frames; it leaves as a
// structured exception instead, which the host's translator (entry 30005)
// turns into the host's own.
#pragma once

#include <cstdint>
#include <exception>

#include "host/korpus/binding.h"

namespace host::windows {

// Code of the structured exception; its one parameter is the ordinal of
// the host entry whose call was abandoned, 0 for any other failure.
inline constexpr std::uint32_t kFailureException = 0xE0505246;

[[noreturn]] void RaiseToHost(std::uint32_t ordinal);

// Runs a call that the host made into the plug-in, so that nothing leaves
// it as a C++ exception.
template <class Call>
auto AtBoundary(Call&& call) noexcept -> decltype(call()) {
  try {
    return call();
  } catch (const binding::HostCallAbandoned& abandoned) {
    RaiseToHost(abandoned.ordinal());
  } catch (...) {
    RaiseToHost(0);
  }
}

}  // namespace host::windows
