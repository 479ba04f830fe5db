#include "app/script/script_front_end.h"

#include <algorithm>

#include "abi/codepage.h"
#include "abi/host_codes.h"
#include "app/script/key_names.h"
#include "standin/trim.h"

namespace script {

namespace {

std::string Windows1250ToUtf8(std::string_view text) {
  std::string out;
  for (char c : text) codepage::AppendUtf8(out, codepage::Windows1250ToUnicode(static_cast<std::uint8_t>(c)));
  return out;
}

std::string JoinWords(std::initializer_list<std::string_view> words) {
  std::string joined;
  for (std::string_view word : words) {
    if (!joined.empty()) joined += ", ";
    joined += word;
  }
  return joined;
}

}  // namespace

ScriptFrontEnd::ScriptFrontEnd(std::istream& script, std::ostream& out, std::ostream& errors, std::string name,
                               standin::ScreenSize size)
    : script_(script),
      out_(out),
      errors_(errors),
      name_(name == "-" ? "<stdin>" : std::move(name)),
      size_(size),
      screen_(size) {
  commands_.emplace("key", [this](std::string_view a) { return KeyCommand(a); });
  commands_.emplace("type", [this](std::string_view a) { return TypeCommand(a); });
  commands_.emplace("answer", [this](std::string_view a) { return AnswerCommand(a); });
  commands_.emplace("answer-system", [this](std::string_view a) { return SystemAnswerCommand(a); });
  commands_.emplace("screen", [this](std::string_view a) { return ScreenCommand(a); });
}

ScriptFrontEnd::~ScriptFrontEnd() {
  if (installed_ && &standin::CurrentFrontEnd() == this) standin::SetFrontEnd(previous_);
}

void ScriptFrontEnd::Install() {
  if (installed_) return;
  previous_ = &standin::CurrentFrontEnd();
  standin::SetFrontEnd(this);
  installed_ = true;
}

void ScriptFrontEnd::AddCommand(std::string word, Command command) { commands_[std::move(word)] = std::move(command); }

void ScriptFrontEnd::Fail(std::string_view message) {
  if (failed_) return;
  failed_ = true;
  stopped_ = true;
  keys_.clear();
  error_ = name_ + ":" + std::to_string(line_) + ": " + std::string(message);
  errors_ << error_ << '\n' << std::flush;
}

bool ScriptFrontEnd::Finish() {
  for (const auto* queue : {&system_answers_, &answers_}) {
    if (failed_ || queue->empty()) continue;
    line_ = queue->front().line;
    Fail("no box took the answer '" + queue->front().word + "'");
  }
  return !failed_;
}

// Reading the script ---------------------------------------------------------

standin::Key ScriptFrontEnd::NextKey() {
  for (;;) {
    if (!keys_.empty()) {
      const standin::Key key = keys_.front();
      keys_.pop_front();
      return key;
    }
    if (stopped_) return standin::NoKey();
    std::string line;
    if (!std::getline(script_, line)) {
      stopped_ = true;
      return standin::NoKey();
    }
    ++line_;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    Execute(line);
  }
}

void ScriptFrontEnd::Execute(std::string_view line) {
  const std::string_view text = standin::TrimBlanksLeft(line);
  if (text.empty() || text.front() == '#') return;
  const std::size_t blank = text.find(' ');
  const std::string_view word = text.substr(0, blank);
  const std::string_view argument = blank == std::string_view::npos ? std::string_view() : text.substr(blank + 1);
  const auto command = commands_.find(word);
  if (command == commands_.end()) {
    Fail("unknown command '" + std::string(word) + "'");
    return;
  }
  Apply(command->second(argument));
}

void ScriptFrontEnd::Apply(const Outcome& outcome) {
  switch (outcome.action) {
    case Outcome::Action::Continue:
      return;
    case Outcome::Action::Deliver:
      keys_.push_back(outcome.key);
      return;
    case Outcome::Action::Stop:
      stopped_ = true;
      return;
    case Outcome::Action::Fail:
      Fail(outcome.message);
      return;
  }
}

Outcome ScriptFrontEnd::KeyCommand(std::string_view argument) {
  std::string_view rest = standin::TrimBlanks(argument);
  if (rest.empty()) return Outcome::Fail("key needs a key name");
  std::deque<standin::Key> keys;
  while (!rest.empty()) {
    const std::size_t blank = rest.find_first_of(standin::kBlanks);
    const std::string_view name = rest.substr(0, blank);
    const auto key = ParseKeyName(name);
    if (!key) return Outcome::Fail("unknown key name '" + std::string(name) + "'");
    keys.push_back(*key);
    rest = blank == std::string_view::npos ? std::string_view() : standin::TrimBlanksLeft(rest.substr(blank));
  }
  keys_.insert(keys_.end(), keys.begin(), keys.end());
  return Outcome::Continue();
}

Outcome ScriptFrontEnd::TypeCommand(std::string_view argument) {
  if (argument.empty()) return Outcome::Fail("type needs a text");
  std::deque<standin::Key> keys;
  for (std::size_t at = 0; at < argument.size();) {
    const char32_t ch = codepage::DecodeUtf8(argument, at);
    if (ch == 0xFFFD) return Outcome::Fail("type: the text is not valid UTF-8");
    keys.push_back(standin::CharKey(ch));
  }
  keys_.insert(keys_.end(), keys.begin(), keys.end());
  return Outcome::Continue();
}

Outcome ScriptFrontEnd::AnswerCommand(std::string_view argument) {
  static constexpr std::string_view kWords[] = {"yes", "no", "ok", "retry", "ignore", "abort", "tick"};
  const std::string_view word = standin::TrimBlanks(argument);
  if (std::find(std::begin(kWords), std::end(kWords), word) == std::end(kWords)) {
    return Outcome::Fail("unknown answer '" + std::string(word) +
                         "' (yes, no, ok, retry, ignore, abort or tick)");
  }
  answers_.push_back({std::string(word), line_});
  return Outcome::Continue();
}

Outcome ScriptFrontEnd::SystemAnswerCommand(std::string_view argument) {
  static constexpr std::string_view kWords[] = {"retry", "ignore", "abort"};
  std::string_view rest = standin::TrimBlanks(argument);
  if (rest.empty()) return Outcome::Fail("answer-system needs retry, ignore or abort");
  std::deque<QueuedAnswer> queued;
  while (!rest.empty()) {
    const std::size_t blank = rest.find_first_of(standin::kBlanks);
    const std::string_view word = rest.substr(0, blank);
    if (std::find(std::begin(kWords), std::end(kWords), word) == std::end(kWords)) {
      return Outcome::Fail("unknown answer of a system box '" + std::string(word) + "' (retry, ignore or abort)");
    }
    queued.push_back({std::string(word), line_});
    rest = blank == std::string_view::npos ? std::string_view() : standin::TrimBlanksLeft(rest.substr(blank));
  }
  system_answers_.insert(system_answers_.end(), queued.begin(), queued.end());
  return Outcome::Continue();
}

Outcome ScriptFrontEnd::ScreenCommand(std::string_view argument) {
  if (!standin::TrimBlanks(argument).empty()) return Outcome::Fail("screen takes no argument");
  out_ << FormatScreen(screen_) << std::flush;
  return Outcome::Continue();
}

// Boxes ----------------------------------------------------------------------

std::string ScriptFrontEnd::FormatScreen(const standin::Screen& screen) {
  std::string text = "--- screen " + std::to_string(screen.width()) + "x" + std::to_string(screen.height()) + " ---\n";
  text += screen.ToUtf8();
  text += "--- end of screen ---\n";
  return text;
}

std::string ScriptFrontEnd::FormatBoxText(const std::string& utf8) {
  if (utf8.empty()) return {};
  std::string out;
  std::string_view rest = utf8;
  for (;;) {
    const std::size_t end = rest.find('\n');
    std::string line;
    for (char c : rest.substr(0, end)) {
      // Markup and other control bytes are not shown.
      if (static_cast<unsigned char>(c) >= 0x20 || c == '\t') line += c;
    }
    out += line.empty() ? "|\n" : "| " + line + "\n";
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
  return out;
}

void ScriptFrontEnd::PrintBox(std::string_view kind, const std::string& caption_utf8, const std::string& text_utf8,
                              std::string_view answer) {
  out_ << "box " << kind;
  if (!caption_utf8.empty()) out_ << ' ' << caption_utf8;
  out_ << '\n' << FormatBoxText(text_utf8) << "answer " << answer << '\n' << std::flush;
}

std::string ScriptFrontEnd::TakeAnswer(std::initializer_list<std::string_view> allowed, std::string_view fallback,
                                       std::string_view box) {
  if (answers_.empty() || failed_) return std::string(fallback);
  const QueuedAnswer answer = answers_.front();
  answers_.pop_front();
  if (std::find(allowed.begin(), allowed.end(), answer.word) != allowed.end()) return answer.word;
  line_ = answer.line;
  Fail("answer '" + answer.word + "' does not fit " + std::string(box) + " (" + JoinWords(allowed) + ")");
  return std::string(fallback);
}

std::int16_t ScriptFrontEnd::ShowBox(const standin::BoxRequest& box) {
  const bool question = box.kind == standin::kBoxQuestion;
  const std::string answer = question ? TakeAnswer({"yes", "no"}, "no", "a question box")
                                      : TakeAnswer({"ok"}, "ok", "a notice box");
  PrintBox(question ? "question" : "notice", codepage::MazoviaToUtf8(box.caption), codepage::MazoviaToUtf8(box.text),
           answer);
  if (!question) return standin::kAnswerOk;
  return answer == "yes" ? standin::kAnswerYes : standin::kAnswerNo;
}

void ScriptFrontEnd::ShowNotice(const std::string& text, std::int16_t& flag) {
  const std::string answer = TakeAnswer({"ok", "tick"}, "ok", "the install notice");
  PrintBox("install", "", codepage::MazoviaToUtf8(text), answer);
  if (answer == "tick") flag = 1;
}

void ScriptFrontEnd::Signal() { out_ << "signal\n" << std::flush; }

int ScriptFrontEnd::ShowSystemBox(const std::string& caption, const std::string& text) {
  std::string answer;
  if (!system_answers_.empty() && !failed_) {
    answer = system_answers_.front().word;
    system_answers_.pop_front();
  } else {
    answer = TakeAnswer({"abort", "retry", "ignore"}, "abort", "a system box");
  }
  PrintBox("system", Windows1250ToUtf8(caption), Windows1250ToUtf8(text), answer);
  if (answer == "retry") return korpus_abi::kSystemRetry;
  if (answer == "ignore") return korpus_abi::kSystemIgnore;
  return korpus_abi::kSystemAbort;
}

}  // namespace script
