// The error box of a missing host entry as MessageBoxA receives it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "abi/codepage.h"

namespace testing_support {

// Text as a Windows box takes it: Windows-1250.
inline std::string To1250(std::string_view utf8) {
  std::string out;
  for (std::size_t pos = 0; pos < utf8.size();) {
    out += static_cast<char>(codepage::UnicodeToWindows1250(codepage::DecodeUtf8(utf8, pos)));
  }
  return out;
}

inline std::string ExpectedBindingBox(const std::string& module, const std::string& entry) {
  return To1250("W module  " + module + " \nbrak wpisu  " + entry +
                " \nWywołano z wtyczki   Zainstalowano wtyczkę: PRUFACJA .\n\n"
                "Błąd ten można zignorować lecz dalsza praca\n"
                "programu w tych warunkach może być niebezpieczna.\n\n"
                "Konieczna jest aktualizacja programu!");
}

}  // namespace testing_support
