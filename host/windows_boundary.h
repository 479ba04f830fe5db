// Windows: how a failure leaves the plug-in. Its runtime is linked in, so
// a C++ exception cannot unwind through the host's frames; it leaves as a
// structured exception instead, which the host's translator (entry 30005)
// turns into the host's own.
#pragma once

#include <cstdint>
#include <exception>

#include "abi/plugin_failure.h"
#include "host/korpus/binding.h"

namespace host::windows {

inline constexpr std::uint32_t kFailureException = korpus_abi::kPluginFailureException;

// The ordinal of the abandoned host entry (0 for another failure) and the
// failure's text (or null) go with the exception.
[[noreturn]] void RaiseToHost(std::uint32_t ordinal, const char* text);

// Runs a call that the host made into the plug-in, so that nothing leaves
// it as a C++ exception.
template <class Call>
auto AtBoundary(Call&& call) noexcept -> decltype(call()) {
  try {
    return call();
  } catch (const binding::HostCallAbandoned& abandoned) {
    RaiseToHost(abandoned.ordinal(), abandoned.what());
  } catch (const std::exception& failure) {
    RaiseToHost(0, failure.what());
  } catch (...) {
    RaiseToHost(0, nullptr);
  }
}

}  // namespace host::windows
