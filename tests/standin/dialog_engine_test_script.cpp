// The scripted front end: its commands, the printed boxes and screens, and
// the errors that name the script's line.
#include <gtest/gtest.h>

#include <sstream>

#include "app/script/key_names.h"
#include "app/script/script_front_end.h"
#include "tests/support/dialog_engine_driver.h"
#include "tests/support/mazovia.h"

namespace engine_test {
namespace {

using script::ScriptFrontEnd;
using standin::Key;

using testing_support::Mz;

class Script : public ::testing::Test {
 protected:
  ScriptFrontEnd& Start(const std::string& text, standin::ScreenSize size = {82, 21}) {
    input_.clear();
    input_.str(text);
    front_.reset();
    front_.emplace(input_, out_, errors_, "check.script", size);
    front_->Install();
    return *front_;
  }

  std::vector<Key> AllKeys() {
    std::vector<Key> keys;
    for (Key key = front_->NextKey(); key.name != KeyName::None; key = front_->NextKey()) keys.push_back(key);
    return keys;
  }

  std::istringstream input_;
  std::ostringstream out_;
  std::ostringstream errors_;
  std::optional<ScriptFrontEnd> front_;
};

// Keys ------------------------------------------------------------------------

TEST(KeyNames, EveryNamedKeyIsKnownWhateverItsCase) {
  for (const char* name : {"Enter", "Tab", "Shift-Tab", "Esc", "Up", "Down", "PgUp", "PgDn", "Home", "End", "Space",
                           "Backspace", "Delete", "Left", "Right", "F4", "F5", "F12", "Alt-A", "Alt-Z", "Ctrl-1"}) {
    const auto key = script::ParseKeyName(name);
    ASSERT_TRUE(key.has_value()) << name;
    EXPECT_EQ(script::KeyNameOf(*key), name);
  }
  EXPECT_EQ(script::ParseKeyName("shift-tab"), standin::NamedKey(KeyName::ShiftTab));
  EXPECT_EQ(script::ParseKeyName("alt-u"), standin::AltKey(U'U'));
  EXPECT_EQ(script::ParseKeyName("Space"), standin::CharKey(U' '));
}

TEST(KeyNames, UnknownNamesAreRefused) {
  for (const char* name : {"", "F13", "Alt-1", "Alt-", "Alt-AB", "Ctrl-", "Return", "Enter2"}) {
    EXPECT_FALSE(script::ParseKeyName(name).has_value()) << name;
  }
}

TEST_F(Script, KeysAndTypedTextBecomeKeysInOrder) {
  Start("# a comment\n\nkey Tab Enter\n  type Ab ż\nkey Alt-U\n");
  EXPECT_EQ(AllKeys(), (std::vector<Key>{standin::NamedKey(KeyName::Tab), standin::NamedKey(KeyName::Enter),
                                         standin::CharKey(U'A'), standin::CharKey(U'b'), standin::CharKey(U' '),
                                         standin::CharKey(U'ż'), standin::AltKey(U'U')}));
  EXPECT_FALSE(front_->failed());
  EXPECT_TRUE(front_->Finish());
}

TEST_F(Script, LinesEndedWithCarriageReturnsAreRead) {
  Start("key Esc\r\ntype A\r\n");
  EXPECT_EQ(AllKeys(), (std::vector<Key>{standin::NamedKey(KeyName::Esc), standin::CharKey(U'A')}));
}

// Errors ----------------------------------------------------------------------

TEST_F(Script, AnUnknownCommandStopsTheScriptWithItsLineNumber) {
  Start("key Tab\n# fine\nclick 3\nkey Enter\n");
  EXPECT_EQ(AllKeys(), (std::vector<Key>{standin::NamedKey(KeyName::Tab)}));
  EXPECT_TRUE(front_->failed());
  EXPECT_EQ(errors_.str(), "check.script:3: unknown command 'click'\n");
  EXPECT_EQ(front_->NextKey(), standin::NoKey());
  EXPECT_FALSE(front_->Finish());
}

TEST_F(Script, AnUnknownKeyNameIsAnErrorAndNoKeyOfItsLineIsGiven) {
  Start("key Tab F13 Enter\n");
  EXPECT_TRUE(AllKeys().empty());
  EXPECT_EQ(errors_.str(), "check.script:1: unknown key name 'F13'\n");
}

TEST_F(Script, CommandsWithoutTheirArgumentAreErrors) {
  Start("type\n");
  AllKeys();
  EXPECT_EQ(errors_.str(), "check.script:1: type needs a text\n");
  errors_.str("");
  Start("key\n");
  AllKeys();
  EXPECT_EQ(errors_.str(), "check.script:1: key needs a key name\n");
  errors_.str("");
  Start("answer maybe\n");
  AllKeys();
  EXPECT_EQ(errors_.str(), "check.script:1: unknown answer 'maybe' (yes, no, ok, retry, ignore, abort or tick)\n");
}

TEST_F(Script, CommandsWithAWrongArgumentAreErrors) {
  const std::pair<std::string, std::string> cases[] = {
      {"type Pi\xC4\n", "check.script:1: type: the text is not valid UTF-8\n"},
      {"answer-system\n", "check.script:1: answer-system needs retry, ignore or abort\n"},
      {"answer-system retry later\n",
       "check.script:1: unknown answer of a system box 'later' (retry, ignore or abort)\n"},
      {"screen now\n", "check.script:1: screen takes no argument\n"},
  };
  for (const auto& [script, error] : cases) {
    SCOPED_TRACE(script);
    errors_.str("");
    Start(script);
    EXPECT_TRUE(AllKeys().empty());
    EXPECT_EQ(errors_.str(), error);
  }
}

TEST_F(Script, StandardInputIsNamedAsSuch) {
  input_.str("bogus\n");
  ScriptFrontEnd front(input_, out_, errors_, "-");
  front.NextKey();
  EXPECT_EQ(errors_.str(), "<stdin>:1: unknown command 'bogus'\n");
}

// Boxes -----------------------------------------------------------------------

TEST_F(Script, ABoxIsPrintedWithItsCaptionItsTextWithoutMarkupAndItsAnswer) {
  Start("");
  const std::int16_t answer = standin::entry::MessageText(
      Mz("Uwaga").c_str(), Mz("Na fakturze brak towaru o kodzie \x02" "AB12\x01!\nTowar zostanie pominięty.").c_str(),
      1);
  EXPECT_EQ(answer, standin::kAnswerOk);
  EXPECT_EQ(out_.str(),
            "box notice Uwaga\n"
            "| Na fakturze brak towaru o kodzie AB12!\n"
            "| Towar zostanie pominięty.\n"
            "answer ok\n");
}

TEST_F(Script, AnEmptyLineOfABoxIsPrintedAsABareBar) {
  Start("");
  standin::entry::MessageText(Mz("Podsumowanie").c_str(), "a\n\nb", 1);
  EXPECT_EQ(out_.str(), "box notice Podsumowanie\n| a\n|\n| b\nanswer ok\n");
}

TEST_F(Script, AQuestionTakesTheQueuedAnswerOrNo) {
  Start("answer yes\nkey Esc\n");
  front_->NextKey();
  EXPECT_EQ(standin::entry::MessageText(Mz("Uwaga").c_str(), "Wznowic?", 6), standin::kAnswerYes);
  EXPECT_EQ(standin::entry::MessageText(Mz("Uwaga").c_str(), "Wznowic?", 6), standin::kAnswerNo);
  EXPECT_EQ(out_.str(),
            "box question Uwaga\n| Wznowic?\nanswer yes\n"
            "box question Uwaga\n| Wznowic?\nanswer no\n");
  EXPECT_TRUE(front_->Finish());
}

TEST_F(Script, AnAnswerThatDoesNotFitTheBoxFailsTheScriptAtTheAnswersLine) {
  Start("key Tab\nanswer yes\nkey Esc\n");
  front_->NextKey();
  front_->NextKey();
  standin::entry::MessageText("Uwaga", "x", 1);
  EXPECT_EQ(errors_.str(), "check.script:2: answer 'yes' does not fit a notice box (ok)\n");
  EXPECT_NE(out_.str().find("answer ok\n"), std::string::npos);
}

TEST_F(Script, AnAnswerThatNoBoxTookIsReportedAtTheEnd) {
  Start("key Tab\nanswer no\n");
  AllKeys();
  EXPECT_FALSE(front_->Finish());
  EXPECT_EQ(errors_.str(), "check.script:2: no box took the answer 'no'\n");
}

TEST_F(Script, TheSystemBoxIsShownFromWindows1250AndAbortsUnlessAnswered) {
  Start("answer ignore\nkey Esc\n");
  front_->NextKey();
  const std::string caption = {'B', static_cast<char>(0xA3), static_cast<char>(0xA5), 'D'};  // "BŁĄD"
  EXPECT_EQ(front_->ShowSystemBox(caption, "brak wpisu\n"), 5);
  EXPECT_EQ(front_->ShowSystemBox(caption, "x"), 3);
  EXPECT_EQ(out_.str(), "box system BŁĄD\n| brak wpisu\n|\nanswer ignore\nbox system BŁĄD\n| x\nanswer abort\n");
}

TEST_F(Script, TheInstallNoticeIsTickedByItsAnswer) {
  Start("answer tick\nkey Esc\n");
  front_->NextKey();
  std::int16_t flag = 0;
  standin::entry::Notice(1194, &flag, 0, Mz(" Zainstalowano wtyczkę").c_str());
  EXPECT_EQ(flag, 1);
  EXPECT_EQ(out_.str(), "box install\n|  Zainstalowano wtyczkę\nanswer tick\n");
}

TEST_F(Script, TheSignalIsPrinted) {
  Start("");
  standin::entry::Signal();
  EXPECT_EQ(out_.str(), "signal\n");
}

// The program's own commands ------------------------------------------------

TEST_F(Script, TheProgramAddsCommandsThatGiveKeysStopOrFail) {
  Start("select FV/1\nkey Ctrl-1\nselect FV/9\nkey Enter\n");
  std::vector<std::string> selected;
  front_->AddCommand("select", [&](std::string_view number) {
    selected.emplace_back(number);
    if (number == "FV/9") return script::Outcome::Fail("no invoice FV/9");
    return script::Outcome::Deliver(standin::NamedKey(KeyName::Home));
  });
  EXPECT_EQ(AllKeys(), (std::vector<Key>{standin::NamedKey(KeyName::Home), standin::CtrlKey(U'1')}));
  EXPECT_EQ(selected, (std::vector<std::string>{"FV/1", "FV/9"}));
  EXPECT_EQ(errors_.str(), "check.script:3: no invoice FV/9\n");

  Start("key Tab\nquit\nkey Enter\n");
  front_->AddCommand("quit", [](std::string_view) { return script::Outcome::Stop(); });
  EXPECT_EQ(AllKeys(), (std::vector<Key>{standin::NamedKey(KeyName::Tab)}));
  EXPECT_TRUE(front_->stopped());
  EXPECT_FALSE(front_->failed());
}

// A dialog run from a script ------------------------------------------------

TEST_F(Script, ADialogRunsFromTheScriptAndItsScreenIsPrinted) {
  Start("type AB\nkey Enter\nscreen\nkey F12\n", {82, 21});
  FakeDialog dialog;
  dialog.on_event = [](std::int16_t code, std::int16_t kind) { return kind == 1 && code == 13 ? 5 : 0; };
  EXPECT_EQ(RunDialog(dialog, nullptr), 0x5001);
  EXPECT_EQ(dialog.EventsAfterOpening(),
            (std::vector<Event>{{3, 1}, {13, 1}, {5, -1}, {0x5001, 1}, {0x5001, 2}}));
  const std::string printed = out_.str();
  ASSERT_TRUE(printed.starts_with("--- screen 82x21 ---\n╔")) << printed;
  EXPECT_TRUE(printed.ends_with("╝\n--- end of screen ---\n")) << printed;
  EXPECT_NE(printed.find("║                            AB··················  0.000·······"), std::string::npos);
  EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 23);
}

TEST_F(Script, AScriptThatEndsClosesTheDialogAsEscDoes) {
  Start("type AB\n");
  FakeDialog dialog;
  EXPECT_EQ(RunDialog(dialog, nullptr), 0);
  EXPECT_EQ(dialog.events.back(), (Event{0, 2}));
}

TEST_F(Script, TheScreenIsPrintedAtTheConfiguredSize) {
  Start("screen\n", {100, 30});
  FakeDialog dialog;
  RunDialog(dialog, nullptr);
  const std::string printed = out_.str();
  EXPECT_TRUE(printed.starts_with("--- screen 100x30 ---\n\n\n\n\n         ╔")) << printed;
}

}  // namespace
}  // namespace engine_test
