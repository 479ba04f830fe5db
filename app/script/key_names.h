// Key names of the scripted front end ("Enter", "Shift-Tab", "Alt-U",
// "Ctrl-1", …), matched without regard to case.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "standin/dialog/keys.h"

namespace script {

std::optional<standin::Key> ParseKeyName(std::string_view name);

// The name that ParseKeyName reads back; typed characters come as "'x'".
std::string KeyNameOf(const standin::Key& key);

}  // namespace script
