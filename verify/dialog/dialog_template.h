// The template of the dialog "Sprawdź fakturę" in the host's dialog format:
// a header, the dialog record and 15 control records. It goes to the host's
// dialog engine unchanged.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace verify {

inline constexpr std::size_t kDialogTemplateSize = 612;
using DialogTemplateBytes = std::array<std::uint8_t, kDialogTemplateSize>;

const DialogTemplateBytes& DialogTemplate();

}  // namespace verify
