// How a failure leaves the plug-in on Windows. The plug-in's runtime is
// linked into it, so a C++ exception cannot unwind through its host's
// frames; the plug-in raises this structured exception instead, which the
// host's translator (entry 30005) turns into the host's own exception.
#pragma once

#include <cstdint>

namespace korpus_abi {

inline constexpr std::uint32_t kPluginFailureException = 0xE0505246;

// Its parameters: the ordinal of the host entry whose call was abandoned
// (0 for any other failure), and the address of the failure's text (or 0),
// valid while the exception is being handled.
inline constexpr std::uint32_t kPluginFailureOrdinal = 0;
inline constexpr std::uint32_t kPluginFailureText = 1;

}  // namespace korpus_abi
