#include "app/script_source.h"

#include <string_view>

namespace app {

ScriptSource::ScriptSource(std::istream& script, std::function<void()> before_first_command)
    : script_(script), before_first_command_(std::move(before_first_command)) {
  setg(nullptr, nullptr, nullptr);
}

// A blank line is no command: the line end that underflow() keeps counts
// as blank too.
bool ScriptSource::IsPreamble(const std::string& line) {
  const auto first = line.find_first_not_of(" \t\r\n");
  if (first == std::string::npos || line[first] == '#') return true;
  for (const std::string_view word : {"answer", "answer-system"}) {
    if (line.compare(first, word.size(), word) == 0 && first + word.size() < line.size() &&
        (line[first + word.size()] == ' ' || line[first + word.size()] == '\t')) {
      return true;
    }
  }
  return false;
}

void ScriptSource::Start() {
  if (started_) return;
  started_ = true;
  if (before_first_command_) before_first_command_();
}

// Hands the script over one line at a time, so that every line before the
// current one has been acted on when the hook runs.
std::streambuf::int_type ScriptSource::underflow() {
  if (!std::getline(script_, line_) || (line_.empty() && script_.eof())) {
    Start();
    return traits_type::eof();
  }
  if (!script_.eof()) line_ += '\n';
  if (!IsPreamble(line_)) Start();
  setg(line_.data(), line_.data(), line_.data() + line_.size());
  return traits_type::to_int_type(line_.front());
}

}  // namespace app
