// Windows: how a failure crosses the boundary. The plug-in's runtime is
// linked in, so a C++ exception cannot unwind through the host's frames; it
// leaves as a structured exception instead (abi/plugin_failure.h), which
// the host takes back, and a failure the host passes on out of one of its
// entries comes back into the plug-in the same way.
#pragma once

#include <cstdint>
#include <exception>
#include <type_traits>

#include "abi/plugin_failure.h"
#include "abi/windows/failure_catch.h"
#include "host/korpus/binding.h"

namespace host::windows {

inline constexpr std::uint32_t kFailureException = korpus_abi::kPluginFailureException;

// The ordinal of the abandoned host entry (0 for another failure) and the
// failure's text (or null) go with the exception.
[[noreturn]] void RaiseToHost(std::uint32_t ordinal, const char* text);

// Whether code at this address belongs to the module that holds the
// binding: false for the host's code.
bool IsThisModule(const void* address);

// A failure that came back out of a host entry, thrown again as the
// plug-in's own: HostCallAbandoned for an abandoned entry.
[[noreturn]] void ThrowInPlugin(const korpus_abi::windows::CaughtFailure& failure);

// Runs a call that the host made into the plug-in, so that nothing leaves
// it as a C++ exception. The raise comes after the handler has ended, so
// the runtime keeps no exception in flight while the frames are left.
template <class Call>
auto AtBoundary(Call&& call) noexcept -> decltype(call()) {
  korpus_abi::windows::CaughtFailure failure;
  try {
    return call();
  } catch (const binding::HostCallAbandoned& abandoned) {
    failure = korpus_abi::windows::Describe(abandoned.ordinal(), abandoned.what());
  } catch (const std::exception& other) {
    failure = korpus_abi::windows::Describe(0, other.what());
  } catch (...) {
  }
  RaiseToHost(failure.ordinal, failure.text[0] != '\0' ? failure.text : nullptr);
}

// Runs a call into a host entry that may call the plug-in back; a failure
// that the host passes on out of it continues here as a C++ exception.
template <class Call>
auto ThroughHost(Call&& call) -> decltype(call()) {
  using Result = decltype(call());
  korpus_abi::windows::CaughtFailure failure;
  if constexpr (std::is_void_v<Result>) {
    if (!korpus_abi::windows::CatchFailure(call, failure)) return;
  } else {
    Result result{};
    if (!korpus_abi::windows::CatchFailure([&] { result = call(); }, failure)) return result;
  }
  ThrowInPlugin(failure);
}

}  // namespace host::windows
