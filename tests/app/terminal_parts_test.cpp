// The terminal front end's parts that need no terminal: keys decoded from
// what curses reads, message boxes drawn and answered, the picture for a
// terminal that is too small, and the host's keys for Ctrl-1.
#include <gtest/gtest.h>

#include <ncursesw/curses.h>

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "abi/codepage.h"
#include "app/host_program.h"
#include "app/register_list.h"
#include "app/terminal/box_window.h"
#include "app/terminal/key_decoder.h"
#include "app/terminal/palette.h"

namespace {

using standin::AltKey;
using standin::CharKey;
using standin::CtrlKey;
using standin::Key;
using standin::KeyName;
using standin::NamedKey;
using standin::Role;
using terminal::BoxWindow;
using terminal::Input;
using terminal::KeyDecoder;

// Feeds UTF-8 text as curses hands it over: one character at a time.
void FeedText(KeyDecoder& decoder, std::string_view utf8) {
  for (std::size_t at = 0; at < utf8.size();) decoder.Feed(Input::Char(codepage::DecodeUtf8(utf8, at)));
}

std::vector<Key> TakeAll(KeyDecoder& decoder) {
  std::vector<Key> keys;
  while (const auto key = decoder.Take()) keys.push_back(*key);
  return keys;
}

std::vector<Key> Decode(std::string_view utf8) {
  KeyDecoder decoder;
  FeedText(decoder, utf8);
  return TakeAll(decoder);
}

std::vector<Key> Chars(std::u32string_view text) {
  std::vector<Key> keys;
  for (char32_t ch : text) keys.push_back(CharKey(ch));
  return keys;
}

// ---------------------------------------------------------------------------
// Keys

TEST(KeyDecoderTest, AScannerBurstGivesEveryCharacterThenEnter) {
  std::vector<Key> expected = Chars(U"5901234567893");
  expected.push_back(NamedKey(KeyName::Enter));
  EXPECT_EQ(Decode("5901234567893\r"), expected);
}

TEST(KeyDecoderTest, PolishLettersArriveAsTheirCharacters) {
  EXPECT_EQ(Decode("Żółć ą"), Chars(U"Żółć ą"));
}

TEST(KeyDecoderTest, ControlCharactersAreTheirKeys) {
  EXPECT_EQ(Decode("\t\n\x7f\x08\x01\x1a"),
            (std::vector<Key>{NamedKey(KeyName::Tab), NamedKey(KeyName::Enter), NamedKey(KeyName::Backspace),
                              NamedKey(KeyName::Backspace), CtrlKey(U'A'), CtrlKey(U'Z')}));
}

TEST(KeyDecoderTest, CursesKeyCodesBecomeNamedKeys) {
  KeyDecoder decoder;
  for (int code : {KEY_F(2), KEY_F(4), KEY_F(5), KEY_F(12), KEY_BTAB, KEY_DC, KEY_BACKSPACE, KEY_HOME, KEY_END,
                   KEY_PPAGE, KEY_NPAGE, KEY_UP, KEY_DOWN, KEY_LEFT, KEY_RIGHT, KEY_ENTER, KEY_MOUSE}) {
    decoder.Feed(Input::Code(static_cast<std::uint32_t>(code)));
  }
  EXPECT_EQ(TakeAll(decoder),
            (std::vector<Key>{NamedKey(KeyName::F2), NamedKey(KeyName::F4), NamedKey(KeyName::F5),
                              NamedKey(KeyName::F12), NamedKey(KeyName::ShiftTab), NamedKey(KeyName::Delete),
                              NamedKey(KeyName::Backspace), NamedKey(KeyName::Home), NamedKey(KeyName::End),
                              NamedKey(KeyName::PgUp), NamedKey(KeyName::PgDn), NamedKey(KeyName::Up),
                              NamedKey(KeyName::Down), NamedKey(KeyName::Left), NamedKey(KeyName::Right),
                              NamedKey(KeyName::Enter)}));
}

TEST(KeyDecoderTest, EscFollowedByALetterOrDigitIsAlt) {
  EXPECT_EQ(Decode("\x1bu\x1bU\x1b" "1"), (std::vector<Key>{AltKey(U'U'), AltKey(U'U'), AltKey(U'1')}));
}

TEST(KeyDecoderTest, ALoneEscIsEscOnceNothingFollows) {
  KeyDecoder decoder;
  decoder.Feed(Input::Char(27));
  EXPECT_TRUE(decoder.waiting());
  EXPECT_EQ(decoder.Take(), std::nullopt);
  decoder.Pause();
  EXPECT_FALSE(decoder.waiting());
  EXPECT_EQ(TakeAll(decoder), std::vector<Key>{NamedKey(KeyName::Esc)});
}

TEST(KeyDecoderTest, AltWithAKeyThatHasNoAltFormIsTheKeyAlone) {
  KeyDecoder decoder;
  decoder.Feed(Input::Char(27));
  decoder.Feed(Input::Code(static_cast<std::uint32_t>(KEY_F(4))));
  decoder.Feed(Input::Char(27));
  decoder.Feed(Input::Char('\r'));
  EXPECT_EQ(TakeAll(decoder), (std::vector<Key>{NamedKey(KeyName::F4), NamedKey(KeyName::Enter)}));
}

TEST(KeyDecoderTest, TwoEscsAreTwoEscKeys) {
  KeyDecoder decoder;
  decoder.Feed(Input::Char(27));
  decoder.Feed(Input::Char(27));
  decoder.Pause();
  EXPECT_EQ(TakeAll(decoder), (std::vector<Key>{NamedKey(KeyName::Esc), NamedKey(KeyName::Esc)}));
}

TEST(KeyDecoderTest, CtrlOneComesInBothKeyReportForms) {
  EXPECT_EQ(Decode("\x1b[49;5u"), std::vector<Key>{CtrlKey(U'1')});
  EXPECT_EQ(Decode("\x1b[27;5;49~"), std::vector<Key>{CtrlKey(U'1')});
}

TEST(KeyDecoderTest, KeyReportsOfOtherModifiedKeys) {
  EXPECT_EQ(Decode("\x1b[117;3u"   // Alt-u
                   "\x1b[27;2;9~"  // Shift-Tab
                   "\x1b[13;5u"    // Ctrl-Enter
                   "\x1b[97;6u"    // Ctrl-Shift-a
                   "\x1b[261;1u"   // ą, unmodified
                   "\x1b[1;5A"     // Ctrl-Up
                   "\x1b[3~"),     // Delete
            (std::vector<Key>{AltKey(U'U'), NamedKey(KeyName::ShiftTab), NamedKey(KeyName::Enter), CtrlKey(U'A'),
                              CharKey(U'ą'), NamedKey(KeyName::Up), NamedKey(KeyName::Delete)}));
}

TEST(KeyDecoderTest, FunctionKeysThatTheTerminalDescriptionLacks) {
  EXPECT_EQ(Decode("\x1bOQ\x1b[14~\x1b[24~"),
            (std::vector<Key>{NamedKey(KeyName::F2), NamedKey(KeyName::F4), NamedKey(KeyName::F12)}));
}

// What VT, xterm and rxvt keyboards send for keys that a terminal
// description may lack, and the key reports of unmodified keys.
TEST(KeyDecoderTest, EverySequenceOfTheCommonKeyboardsGivesItsKey) {
  const auto named = [](KeyName name) { return NamedKey(name); };
  const std::vector<std::pair<std::string, Key>> cases = {
      {"\x1b[1~", named(KeyName::Home)},   {"\x1b[7~", named(KeyName::Home)},  {"\x1b[4~", named(KeyName::End)},
      {"\x1b[8~", named(KeyName::End)},    {"\x1b[3~", named(KeyName::Delete)}, {"\x1b[5~", named(KeyName::PgUp)},
      {"\x1b[6~", named(KeyName::PgDn)},   {"\x1b[11~", named(KeyName::F1)},   {"\x1b[12~", named(KeyName::F2)},
      {"\x1b[13~", named(KeyName::F3)},    {"\x1b[14~", named(KeyName::F4)},   {"\x1b[15~", named(KeyName::F5)},
      {"\x1b[17~", named(KeyName::F6)},    {"\x1b[18~", named(KeyName::F7)},   {"\x1b[19~", named(KeyName::F8)},
      {"\x1b[20~", named(KeyName::F9)},    {"\x1b[21~", named(KeyName::F10)},  {"\x1b[23~", named(KeyName::F11)},
      {"\x1b[24~", named(KeyName::F12)},   {"\x1b[A", named(KeyName::Up)},     {"\x1b[B", named(KeyName::Down)},
      {"\x1b[C", named(KeyName::Right)},   {"\x1b[D", named(KeyName::Left)},   {"\x1b[H", named(KeyName::Home)},
      {"\x1b[F", named(KeyName::End)},     {"\x1b[Z", named(KeyName::ShiftTab)}, {"\x1bOA", named(KeyName::Up)},
      {"\x1bOD", named(KeyName::Left)},    {"\x1bOH", named(KeyName::Home)},   {"\x1bOF", named(KeyName::End)},
      {"\x1bOP", named(KeyName::F1)},      {"\x1bOR", named(KeyName::F3)},     {"\x1bOS", named(KeyName::F4)},
      {"\x1bOM", named(KeyName::Enter)},   {"\x1b[27u", named(KeyName::Esc)},  {"\x1b[127u", named(KeyName::Backspace)},
      {"\x1b[8u", named(KeyName::Backspace)}, {"\x1b[9u", named(KeyName::Tab)}, {"\x1b[97u", CharKey(U'a')},
      {"\x1b[97;2u", CharKey(U'A')},       {"\x1b[44;3u", AltKey(U',')},       {"\x1b[261u", CharKey(U'ą')},
  };
  for (const auto& [sequence, key] : cases) {
    SCOPED_TRACE(sequence.substr(1));
    EXPECT_EQ(Decode(sequence), std::vector<Key>{key});
  }
}

// Insert, unassigned numbers and letters, control characters and C1 codes
// are no key of the dialogs; an SS3 that is none is Alt-O and its key.
TEST(KeyDecoderTest, SequencesOfNoKeyAreDropped) {
  for (const char* sequence : {"\x1b[2~", "\x1b[16~", "\x1b[99~", "\x1b[E", "\x1b[1u", "\x1b[128u"}) {
    SCOPED_TRACE(sequence + 1);
    EXPECT_EQ(Decode(std::string(sequence) + "x"), Chars(U"x"));
  }
  EXPECT_EQ(Decode("\x1bOX"), (std::vector<Key>{AltKey(U'O'), CharKey(U'X')}));
}

TEST(KeyDecoderTest, AReportThatIsNoKeyIsDroppedAndTheKeysAfterItKept) {
  EXPECT_EQ(Decode("\x1b[?1;2cAB"), Chars(U"AB"));
  EXPECT_EQ(Decode("\x1b[" + std::string(100, '1') + "uC"), Chars(U"C"));
}

TEST(KeyDecoderTest, AReportBrokenOffByAKeyGivesThatKey) {
  KeyDecoder decoder;
  FeedText(decoder, "\x1b[1");
  decoder.Feed(Input::Code(static_cast<std::uint32_t>(KEY_UP)));
  decoder.Feed(Input::Char('\r'));
  EXPECT_EQ(TakeAll(decoder), (std::vector<Key>{NamedKey(KeyName::Up), NamedKey(KeyName::Enter)}));
}

std::vector<Input> Inputs(std::string_view utf8) {
  std::vector<Input> inputs;
  for (std::size_t at = 0; at < utf8.size();) inputs.push_back(Input::Char(codepage::DecodeUtf8(utf8, at)));
  return inputs;
}

// What a report may carry that is no part of a key, and what breaks a
// sequence off: the key is read past the one, the other is a key itself.
TEST(KeyDecoderTest, ParametersThatAreNoKeyAndCharactersThatBreakASequenceOff) {
  const auto up = static_cast<std::uint32_t>(KEY_UP);
  const std::vector<std::pair<std::vector<Input>, std::vector<Key>>> cases = {
      {Inputs("\x1b[97:65;2u"), {CharKey(U'A')}},             // a sub-parameter
      {Inputs("\x1b[1;5;1;1;1A"), {NamedKey(KeyName::Up)}},   // more parameters than a key has
      {Inputs("\x1b[99999999999ux"), {CharKey(U'x')}},        // beyond Unicode
      {Inputs("\x1b[55296ux"), {CharKey(U'x')}},              // a surrogate
      {Inputs("\x1b[133ux"), {CharKey(U'x')}},                // a C1 control
      {Inputs("\x1b[57344u"), {CharKey(U'\uE000')}},          // past the surrogates
      {Inputs("\x1b[1\x01"), {CtrlKey(U'A')}},
      {Inputs("\x1b[1ą"), {CharKey(U'ą')}},
      {Inputs("\x1bOą"), {AltKey(U'O'), CharKey(U'ą')}},
      {{Input::Char(27), Input::Char('O'), Input::Code(up)}, {AltKey(U'O'), NamedKey(KeyName::Up)}},
      {{Input::Char(0), Input::Char(0x85), Input::Char('x')}, {CharKey(U'x')}},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(i);
    KeyDecoder decoder;
    for (const Input& input : cases[i].first) decoder.Feed(input);
    EXPECT_EQ(TakeAll(decoder), cases[i].second);
  }
}

// ---------------------------------------------------------------------------
// Message boxes

std::vector<std::string> Rows(const standin::Screen& screen) {
  std::vector<std::string> rows;
  for (int row = 0; row < screen.height(); ++row) rows.push_back(screen.RowUtf8(row));
  return rows;
}

standin::BoxRequest Request(std::string_view caption_utf8, std::string_view text_utf8, std::int32_t kind) {
  return {codepage::Utf8ToMazovia(caption_utf8), codepage::Utf8ToMazovia(text_utf8), kind};
}

// The rows' remarks must be told apart at a glance, also on a terminal
// without colours, and so must the focus and the list's row from plain text.
TEST(PaletteTest, RemarksFocusAndInputLookUnlikeEachOtherAndPlainTextWithAndWithoutColours) {
  const auto differ = [](terminal::Look a, terminal::Look b) { return a.attributes != b.attributes || a.pair != b.pair; };
  const std::vector<std::vector<Role>> distinct = {
      {Role::Normal, Role::RemarkOk, Role::RemarkMuch, Role::RemarkLittle, Role::RemarkUnchecked},
      {Role::Normal, Role::Current, Role::Marked},
      {Role::Normal, Role::Input, Role::Selection},
      {Role::Normal, Role::Hot, Role::Disabled},
      {Role::Normal, Role::Header},
      {Role::Normal, Role::Title}};
  for (const bool colours : {true, false}) {
    SCOPED_TRACE(colours ? "colours" : "no colours");
    for (const auto& roles : distinct) {
      for (std::size_t i = 0; i < roles.size(); ++i) {
        for (std::size_t j = i + 1; j < roles.size(); ++j) {
          EXPECT_TRUE(differ(terminal::LookOf(roles[i], colours), terminal::LookOf(roles[j], colours)))
              << static_cast<int>(roles[i]) << " and " << static_cast<int>(roles[j]);
        }
      }
    }
  }
}

TEST(BoxWindowTest, ANoticeIsDrawnCentredWithItsCaptionTextAndOk) {
  standin::Screen screen({40, 9});
  screen.Fill(0, 0, 40, 9, U'x', Role::Normal);
  BoxWindow::ForHostBox(Request("Uwaga", "Dokument został zapisany", standin::kBoxNotice)).Draw(screen);
  EXPECT_EQ(Rows(screen), (std::vector<std::string>{
                              "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx",
                              "xxxxxx┌───────── Uwaga ──────────┐xxxxxx",
                              "xxxxxx│                          │xxxxxx",
                              "xxxxxx│ Dokument został zapisany │xxxxxx",
                              "xxxxxx│                          │xxxxxx",
                              "xxxxxx│          [ OK ]          │xxxxxx",
                              "xxxxxx└──────────────────────────┘xxxxxx",
                              "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx",
                              "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx",
                          }));
  EXPECT_EQ(screen.At(17, 1).role, Role::Title);
  EXPECT_EQ(screen.At(17, 5).role, Role::Current);  // the focused OK
  EXPECT_EQ(screen.At(19, 5).role, Role::Hot);      // its letter
  EXPECT_EQ(screen.At(20, 5).role, Role::Current);
}

TEST(BoxWindowTest, EmphasisedStretchesAreHotUpToTheEndMark) {
  const auto lines = terminal::ParseBoxText("a\x02" "bc\x01" "d\x03" "e\nf\x01" "g\tH");
  ASSERT_EQ(lines.size(), 2u);
  std::u32string text;
  std::vector<Role> roles;
  for (const auto& line : lines) {
    for (const standin::Cell& cell : line) {
      text += cell.ch;
      roles.push_back(cell.role);
    }
    text += U'|';
  }
  EXPECT_EQ(text, U"abcde|fg      H|");
  const Role N = Role::Normal, H = Role::Hot;
  EXPECT_EQ(roles, (std::vector<Role>{N, H, H, N, H, H, N, N, N, N, N, N, N, N}));
}

TEST(BoxWindowTest, ATextFromMazoviaShowsItsPolishLetters) {
  standin::Screen screen({40, 7});
  BoxWindow::ForHostBox({"Uwaga"_mz, "Błąd zapisu pliku"_mz, standin::kBoxNotice}).Draw(screen);
  EXPECT_EQ(screen.RowUtf8(2), "        │ Błąd zapisu pliku    │");
}

TEST(BoxWindowTest, ALongLineIsWrappedAtABlankOnANarrowScreen) {
  standin::Screen screen({30, 10});
  BoxWindow::ForHostBox(Request("", "Na sprawdzanej fakturze brak towaru o kodzie X-1!", standin::kBoxNotice))
      .Draw(screen);
  EXPECT_EQ(Rows(screen), (std::vector<std::string>{
                              "",
                              " ┌─────────────────────────┐",
                              " │                         │",
                              " │ Na sprawdzanej fakturze │",
                              " │ brak towaru o kodzie    │",
                              " │ X-1!                    │",
                              " │                         │",
                              " │         [ OK ]          │",
                              " └─────────────────────────┘",
                              "",
                          }));
}

TEST(BoxWindowTest, AQuestionOffersTakAndNieAndEnterSaysYes) {
  BoxWindow box = BoxWindow::ForHostBox(Request("Uwaga", "Wznowić?", standin::kBoxQuestion));
  standin::Screen screen({30, 7});
  box.Draw(screen);
  EXPECT_EQ(screen.RowUtf8(4), "   │  [ Tak ]   [ Nie ]   │");
  EXPECT_EQ(box.Press(NamedKey(KeyName::Enter)), standin::kAnswerYes);
}

TEST(BoxWindowTest, AQuestionIsAnsweredNoByRightEnterOrItsLetterAndEscLeavesItOpen) {
  BoxWindow moved = BoxWindow::ForHostBox(Request("Uwaga", "Wznowić?", standin::kBoxQuestion));
  EXPECT_EQ(moved.Press(NamedKey(KeyName::Right)), std::nullopt);
  EXPECT_EQ(moved.Press(NamedKey(KeyName::Enter)), standin::kAnswerNo);

  BoxWindow lettered = BoxWindow::ForHostBox(Request("Uwaga", "Wznowić?", standin::kBoxQuestion));
  EXPECT_EQ(lettered.Press(CharKey(U'n')), standin::kAnswerNo);
  EXPECT_EQ(lettered.Press(AltKey(U'T')), standin::kAnswerYes);
  EXPECT_EQ(lettered.Press(NamedKey(KeyName::Esc)), std::nullopt);
  EXPECT_EQ(lettered.Press(CharKey(U'x')), std::nullopt);
  // A closed terminal takes the highlighted Tak, which keeps a saved check.
  EXPECT_EQ(lettered.end_answer(), standin::kAnswerYes);
}

TEST(BoxWindowTest, TheBindingErrorBoxHasAbortRetryIgnoreWithAbortFirst) {
  BoxWindow box = BoxWindow::ForSystemBox("B\xB3\xB9" "d", "brak wpisu 52255");  // "Błąd" in Windows-1250
  standin::Screen screen({50, 7});
  box.Draw(screen);
  EXPECT_EQ(Rows(screen), (std::vector<std::string>{
                              "    ┌───────────────── Błąd ─────────────────┐",
                              "    │                                        │",
                              "    │ brak wpisu 52255                       │",
                              "    │                                        │",
                              "    │ [ Przerwij ]   [ Ponów ]   [ Ignoruj ] │",
                              "    └────────────────────────────────────────┘",
                              "",
                          }));
  EXPECT_EQ(box.Press(NamedKey(KeyName::Enter)), terminal::kSystemAbort);
  EXPECT_EQ(box.Press(CharKey(U'p')), terminal::kSystemRetry);
  EXPECT_EQ(box.Press(CharKey(U'r')), terminal::kSystemAbort);
  EXPECT_EQ(box.Press(CharKey(U'I')), terminal::kSystemIgnore);
  EXPECT_EQ(box.Press(NamedKey(KeyName::Tab)), std::nullopt);
  EXPECT_EQ(box.Press(NamedKey(KeyName::Tab)), std::nullopt);
  EXPECT_EQ(box.Press(CharKey(U' ')), terminal::kSystemIgnore);
  EXPECT_EQ(box.end_answer(), terminal::kSystemAbort);
}

TEST(BoxWindowTest, TheInstallNoticeIsTickedByItsLetterOrBySpaceOnTheTick) {
  BoxWindow lettered = BoxWindow::ForNotice(" Zainstalowano wtyczkę: PRUFACJA"_mz);
  EXPECT_EQ(lettered.Press(CharKey(U'n')), std::nullopt);
  EXPECT_TRUE(lettered.ticked());
  standin::Screen screen({44, 10});
  lettered.Draw(screen);
  EXPECT_EQ(screen.RowUtf8(5), "    │ [X] Nie pokazuj więcej           │");
  EXPECT_EQ(lettered.Press(NamedKey(KeyName::Enter)), standin::kAnswerOk);

  BoxWindow spaced = BoxWindow::ForNotice(" Zainstalowano wtyczkę: PRUFACJA"_mz);
  EXPECT_EQ(spaced.Press(NamedKey(KeyName::ShiftTab)), std::nullopt);
  EXPECT_EQ(spaced.Press(CharKey(U' ')), std::nullopt);
  EXPECT_EQ(spaced.Press(CharKey(U' ')), std::nullopt);
  EXPECT_EQ(spaced.Press(CharKey(U' ')), std::nullopt);
  EXPECT_TRUE(spaced.ticked());
  EXPECT_EQ(spaced.Press(NamedKey(KeyName::Tab)), std::nullopt);
  EXPECT_EQ(spaced.Press(CharKey(U' ')), standin::kAnswerOk);
  EXPECT_TRUE(spaced.ticked());

  BoxWindow untouched = BoxWindow::ForNotice(" Zainstalowano wtyczkę: PRUFACJA"_mz);
  EXPECT_EQ(untouched.Press(NamedKey(KeyName::Esc)), standin::kAnswerOk);
  EXPECT_FALSE(untouched.ticked());
}

// The arrows move the focus round the buttons; keys of no use change nothing.
TEST(BoxWindowTest, ArrowsMoveAroundTheButtonsAndOtherKeysDoNothing) {
  const std::pair<std::vector<KeyName>, std::int16_t> cases[] = {
      {{KeyName::Down, KeyName::Enter}, standin::kAnswerNo},
      {{KeyName::Up, KeyName::Enter}, standin::kAnswerNo},
      {{KeyName::Right, KeyName::Left, KeyName::Enter}, standin::kAnswerYes},
      {{KeyName::F5, KeyName::Delete, KeyName::Enter}, standin::kAnswerYes},
  };
  for (const auto& [keys, answer] : cases) {
    BoxWindow box = BoxWindow::ForHostBox(Request("Uwaga", "Wznowić?", standin::kBoxQuestion));
    std::optional<int> pressed;
    for (const KeyName key : keys) {
      EXPECT_EQ(pressed, std::nullopt);
      pressed = box.Press(NamedKey(key));
    }
    EXPECT_EQ(pressed, answer) << static_cast<int>(keys.front());
  }
  BoxWindow notice = BoxWindow::ForNotice(" Zainstalowano wtyczkę: PRUFACJA"_mz);
  EXPECT_EQ(notice.Press(CharKey(U'x')), std::nullopt);
  EXPECT_FALSE(notice.ticked());
  EXPECT_EQ(notice.Press(CharKey(U'o')), standin::kAnswerOk);
}

// A system box's text has no markup; a tab goes to the next stop and a
// byte that Windows-1250 leaves undefined is left out.
TEST(BoxWindowTest, ASystemTextKeepsItsControlBytesOutAndExpandsTabs) {
  const auto lines = terminal::ParseSystemText("a\x02" "b\tc\x81\x8C\n\x01");
  ASSERT_EQ(lines.size(), 2u);
  std::u32string text;
  for (const standin::Cell& cell : lines[0]) {
    text += cell.ch;
    EXPECT_EQ(cell.role, Role::Normal);
  }
  EXPECT_EQ(text, U"ab      cŚ");
  EXPECT_TRUE(lines[1].empty());
}

TEST(BoxWindowTest, ABoxNeverClaimsMoreThanTheScreenWidthForItsText) {
  const BoxWindow box = BoxWindow::ForHostBox(Request("", std::string(300, 'x'), standin::kBoxNotice));
  EXPECT_EQ(box.SizeOn(120).width, 80);  // 76 cells of text at most
  EXPECT_EQ(box.SizeOn(60).width, 58);
}

// ---------------------------------------------------------------------------
// A terminal too small

TEST(TooSmallScreenTest, SaysHowBigTheTerminalIsAndHowBigItMustBe) {
  const standin::Screen screen = terminal::TooSmallScreen({50, 7}, {82, 23});
  EXPECT_EQ(Rows(screen), (std::vector<std::string>{
                              "",
                              "",
                              "           Okno terminala jest za małe:",
                              "    jest 50 × 7, potrzeba co najmniej 82 × 23.",
                              "                  Powiększ okno.",
                              "",
                              "",
                          }));
  EXPECT_EQ(screen.At(11, 2).role, Role::Title);
  EXPECT_EQ(screen.At(4, 3).role, Role::Normal);
}

TEST(TooSmallScreenTest, WrapsOnAVeryNarrowTerminal) {
  const standin::Screen screen = terminal::TooSmallScreen({20, 8}, {82, 23});
  EXPECT_EQ(Rows(screen), (std::vector<std::string>{
                              "",
                              "Okno terminala jest",
                              "      za małe:",
                              "    jest 20 × 8,",
                              "potrzeba co najmniej",
                              "      82 × 23.",
                              "   Powiększ okno.",
                              "",
                          }));
}

// ---------------------------------------------------------------------------
// The host's keys

TEST(HostKeysTest, F2AndAltOneStandInForCtrlOne) {
  EXPECT_EQ(app::ListEventOf(CtrlKey(U'1')), 231);
  EXPECT_EQ(app::ListEventOf(NamedKey(KeyName::F2)), 231);
  EXPECT_EQ(app::ListEventOf(AltKey(U'1')), 231);
  EXPECT_EQ(app::ListEventOf(NamedKey(KeyName::F3)), 0x3D00);
  EXPECT_EQ(app::ListEventOf(AltKey(U'2')), 0x1000 + '2');
  EXPECT_EQ(app::ListEventOf(CtrlKey(U'2')), 232);
}

// A list tells its keys apart by their codes alone: no two keys may share
// one, and none may be 0, which is no key.
TEST(HostKeysTest, EveryKeyOfTheListHasACodeOfItsOwn) {
  std::vector<Key> keys;
  for (int name = static_cast<int>(KeyName::Enter); name <= static_cast<int>(KeyName::F12); ++name) {
    if (static_cast<KeyName>(name) != KeyName::F2) keys.push_back(NamedKey(static_cast<KeyName>(name)));
  }
  for (const char32_t ch : {U'A', U'Z', U'0', U'9'}) {
    keys.push_back(CtrlKey(ch));
    keys.push_back(AltKey(ch));
  }
  keys.push_back(CharKey(U'a'));
  keys.push_back(CharKey(U'ż'));
  std::map<std::int32_t, std::size_t> seen;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    const std::int32_t code = app::ListEventOf(keys[i]);
    EXPECT_NE(code, 0) << "key " << i;
    const auto [at, added] = seen.emplace(code, i);
    EXPECT_TRUE(added) << "keys " << at->second << " and " << i << " share " << code;
  }
  // Ctrl with a letter is the letter's ASCII control character.
  EXPECT_EQ(app::ListEventOf(CtrlKey(U'A')), 1);
  EXPECT_EQ(app::ListEventOf(CtrlKey(U'Z')), 26);
}

std::vector<standin::InvoiceRow> Invoices(int count) {
  std::vector<standin::InvoiceRow> rows;
  for (int i = 0; i < count; ++i) {
    rows.push_back({i + 1, standin::Register::Sales, "FV " + std::to_string(i + 1) + "/2024", "2024-01-01", "N"});
  }
  return rows;
}

TEST(HostKeysTest, ATallerPageShowsTheRowsAboveAndKeepsTheCurrentRow) {
  app::RegisterList list(standin::Register::Sales, Invoices(40), 10);
  ASSERT_TRUE(list.Select("FV 30/2024"));
  EXPECT_EQ(list.top(), 20u);
  list.SetPageRows(30);
  EXPECT_EQ(list.top(), 10u);
  EXPECT_EQ(list.current(), 29u);
  list.SetPageRows(5);
  EXPECT_EQ(list.current(), 29u);
  EXPECT_EQ(list.top(), 10u + 15u);  // the current row is the page's last
}

}  // namespace
