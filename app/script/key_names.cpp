#include "app/script/key_names.h"

#include <array>
#include <cctype>

#include "abi/codepage.h"

namespace script {

namespace {

using standin::Key;
using standin::KeyName;

struct Named {
  std::string_view name;
  Key key;
};

constexpr std::array kNames = {
    Named{"Enter", standin::NamedKey(KeyName::Enter)},
    Named{"Tab", standin::NamedKey(KeyName::Tab)},
    Named{"Shift-Tab", standin::NamedKey(KeyName::ShiftTab)},
    Named{"Esc", standin::NamedKey(KeyName::Esc)},
    Named{"Up", standin::NamedKey(KeyName::Up)},
    Named{"Down", standin::NamedKey(KeyName::Down)},
    Named{"PgUp", standin::NamedKey(KeyName::PgUp)},
    Named{"PgDn", standin::NamedKey(KeyName::PgDn)},
    Named{"Home", standin::NamedKey(KeyName::Home)},
    Named{"End", standin::NamedKey(KeyName::End)},
    Named{"Space", standin::CharKey(U' ')},
    Named{"Backspace", standin::NamedKey(KeyName::Backspace)},
    Named{"Delete", standin::NamedKey(KeyName::Delete)},
    Named{"Left", standin::NamedKey(KeyName::Left)},
    Named{"Right", standin::NamedKey(KeyName::Right)},
    Named{"F1", standin::NamedKey(KeyName::F1)},
    Named{"F2", standin::NamedKey(KeyName::F2)},
    Named{"F3", standin::NamedKey(KeyName::F3)},
    Named{"F4", standin::NamedKey(KeyName::F4)},
    Named{"F5", standin::NamedKey(KeyName::F5)},
    Named{"F6", standin::NamedKey(KeyName::F6)},
    Named{"F7", standin::NamedKey(KeyName::F7)},
    Named{"F8", standin::NamedKey(KeyName::F8)},
    Named{"F9", standin::NamedKey(KeyName::F9)},
    Named{"F10", standin::NamedKey(KeyName::F10)},
    Named{"F11", standin::NamedKey(KeyName::F11)},
    Named{"F12", standin::NamedKey(KeyName::F12)},
};

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

// "Alt-U", "Ctrl-1": a modifier and one letter (Alt) or letter or digit
// (Ctrl).
std::optional<Key> WithModifier(std::string_view name) {
  const bool alt = name.size() == 5 && SameName(name.substr(0, 4), "Alt-");
  const bool ctrl = name.size() == 6 && SameName(name.substr(0, 5), "Ctrl-");
  if (!alt && !ctrl) return std::nullopt;
  const auto ch = static_cast<unsigned char>(name.back());
  if (std::isalpha(ch) != 0) {
    const auto upper = static_cast<char32_t>(std::toupper(ch));
    return alt ? standin::AltKey(upper) : standin::CtrlKey(upper);
  }
  if (ctrl && std::isdigit(ch) != 0) return standin::CtrlKey(static_cast<char32_t>(ch));
  return std::nullopt;
}

}  // namespace

std::optional<Key> ParseKeyName(std::string_view name) {
  for (const Named& named : kNames) {
    if (SameName(named.name, name)) return named.key;
  }
  return WithModifier(name);
}

std::string KeyNameOf(const Key& key) {
  if (key.name == KeyName::Alt || key.name == KeyName::Ctrl) {
    std::string name = key.name == KeyName::Alt ? "Alt-" : "Ctrl-";
    codepage::AppendUtf8(name, key.ch);
    return name;
  }
  for (const Named& named : kNames) {
    if (named.key == key) return std::string(named.name);
  }
  if (key.name == KeyName::Char) {
    std::string name = "'";
    codepage::AppendUtf8(name, key.ch);
    return name + "'";
  }
  return "None";
}

}  // namespace script
