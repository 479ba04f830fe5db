// Texts as the host keeps them: tests write UTF-8, the check holds Mazovia.
#pragma once

#include <string>
#include <string_view>

#include "abi/codepage.h"

namespace testing_support {

inline std::string Mz(std::string_view utf8) { return codepage::Utf8ToMazovia(utf8); }

}  // namespace testing_support
