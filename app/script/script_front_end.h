// The scripted front end: keys, typed text and box answers come from a
// script, one command a line; boxes and screens are printed as they are
// shown. The commands and the printed format are described in README.md
// beside this file.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <istream>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "standin/dialog/keys.h"
#include "standin/dialog/screen.h"
#include "standin/frontend.h"

namespace script {

// What a command does with the script: go on reading, hand the engine a
// key, stop reading (as at the end of the script), or fail with a message.
struct Outcome {
  enum class Action : std::uint8_t { Continue, Deliver, Stop, Fail };
  Action action = Action::Continue;
  standin::Key key{};
  std::string message;

  static Outcome Continue() { return {}; }
  static Outcome Deliver(standin::Key key) { return {Action::Deliver, key, {}}; }
  static Outcome Stop() { return {Action::Stop, {}, {}}; }
  static Outcome Fail(std::string message) { return {Action::Fail, {}, std::move(message)}; }
};

class ScriptFrontEnd : public standin::FrontEnd {
 public:
  // `name` stands for the script in error messages ("-": standard input).
  ScriptFrontEnd(std::istream& script, std::ostream& out, std::ostream& errors, std::string name,
                 standin::ScreenSize size = standin::kDefaultScreenSize);
  ~ScriptFrontEnd() override;

  // A command of the program's own, such as "register" or "quit"; it gets
  // the text after the command word and its one separating blank.
  using Command = std::function<Outcome(std::string_view argument)>;
  void AddCommand(std::string word, Command command);

  // Sets this front end as the one in use until it is destroyed.
  void Install();

  // After the run: an answer that no box took is an error of the script.
  // Returns false when the script failed.
  bool Finish();

  bool failed() const { return failed_; }
  bool stopped() const { return stopped_; }
  const std::string& error() const { return error_; }
  int line() const { return line_; }
  const standin::Screen& screen() const { return screen_; }
  std::ostream& out() { return out_; }

  // Reports an error at the current line and stops the script.
  void Fail(std::string_view message);

  // FrontEnd
  standin::Key NextKey() override;
  void Present(const standin::Screen& screen) override { screen_ = screen; }
  standin::ScreenSize Size() const override { return size_; }
  std::int16_t ShowBox(const standin::BoxRequest& box) override;
  void ShowNotice(const std::string& text, std::int16_t& flag) override;
  void Signal() override;
  int ShowSystemBox(const std::string& caption, const std::string& text) override;

  // The screen as the `screen` command prints it.
  static std::string FormatScreen(const standin::Screen& screen);
  // A box's text as printed: UTF-8, markup bytes dropped, each line
  // prefixed with "| ".
  static std::string FormatBoxText(const std::string& utf8);

 private:
  struct QueuedAnswer {
    std::string word;
    int line;
  };

  void Execute(std::string_view line);
  Outcome KeyCommand(std::string_view argument);
  Outcome TypeCommand(std::string_view argument);
  Outcome AnswerCommand(std::string_view argument);
  Outcome SystemAnswerCommand(std::string_view argument);
  Outcome ScreenCommand(std::string_view argument);
  void Apply(const Outcome& outcome);

  // The queued answer for a box that allows `allowed` words, or the
  // fallback; a queued word that the box does not allow fails the script.
  std::string TakeAnswer(std::initializer_list<std::string_view> allowed, std::string_view fallback,
                         std::string_view box);
  void PrintBox(std::string_view kind, const std::string& caption_utf8, const std::string& text_utf8,
                std::string_view answer);

  std::istream& script_;
  std::ostream& out_;
  std::ostream& errors_;
  std::string name_;
  standin::ScreenSize size_;
  standin::Screen screen_;
  std::map<std::string, Command, std::less<>> commands_;
  std::deque<standin::Key> keys_;
  std::deque<QueuedAnswer> answers_;
  // Answers that only system boxes take, before any of answers_.
  std::deque<QueuedAnswer> system_answers_;
  int line_ = 0;
  bool stopped_ = false;
  bool failed_ = false;
  std::string error_;
  bool installed_ = false;
  standin::FrontEnd* previous_ = nullptr;
};

}  // namespace script
