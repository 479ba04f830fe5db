// Arbitrary keys and typed texts through the dialog engine and the check's
// event handler, the list's invariants looked at after every key.
#include <array>
#include <string>

#include "fuzz/checks.h"
#include "fuzz/targets.h"
#include "standin/testing.h"
#include "tests/support/check_harness.h"

namespace fuzz {

namespace {

using standin::Key;
using standin::KeyName;

// Characters that make symbols of the small world and quantities, and a
// few that do not belong in either.
constexpr std::array<char32_t, 48> kCharacters = {
    U'S', U'R', U'B', U'W', U'K', U'O', U'L', U'F', U'Z', U'G', U'A', U'C', U'H', U'X', U'Y', U'N',
    U'0', U'1', U'2', U'3', U'4', U'5', U'7', U'8', U'9', U'-', U' ', U'.', U',', U'%', U'ł', U'Ś',
    U'E', U'I', U'P', U'T', U'U', U'V', U'6', U's', U'n', U'"', U'\\', U'/', U'=', U'[', U';', U'+'};

constexpr std::array<Key, 26> kNamedKeys = {
    standin::NamedKey(KeyName::Enter), standin::NamedKey(KeyName::Tab),      standin::NamedKey(KeyName::ShiftTab),
    standin::NamedKey(KeyName::Up),    standin::NamedKey(KeyName::Down),     standin::NamedKey(KeyName::PgUp),
    standin::NamedKey(KeyName::PgDn),  standin::NamedKey(KeyName::Home),     standin::NamedKey(KeyName::End),
    standin::NamedKey(KeyName::Backspace), standin::NamedKey(KeyName::Delete), standin::NamedKey(KeyName::Left),
    standin::NamedKey(KeyName::Right), standin::NamedKey(KeyName::F4),       standin::NamedKey(KeyName::F5),
    standin::NamedKey(KeyName::F1),    standin::AltKey(U'U'),                standin::AltKey(U'S'),
    standin::AltKey(U'I'),             standin::AltKey(U'N'),                standin::CharKey(U' '),
    standin::NamedKey(KeyName::Enter), standin::NamedKey(KeyName::Enter),    standin::NamedKey(KeyName::Tab),
    standin::NamedKey(KeyName::Esc),   standin::NamedKey(KeyName::F12)};

constexpr const char* kDataTxt =
    "SRB-8;10\r\nWKR-4;3\r\nZGRZ-12;2\r\n5901234567893;4\r\nRKW-L;3\r\nARCH-1;1\r\nXYZ-999;1\r\n";

// Bytes below 0xC0 type a character, the others press a named key; the
// last two named keys end the dialog and so are drawn less often.
Key KeyOf(std::uint8_t byte) {
  if (byte < 0xC0) return standin::CharKey(kCharacters[byte % kCharacters.size()]);
  const std::size_t index = byte - 0xC0u;
  if (index < kNamedKeys.size() - 2) return kNamedKeys[index];
  if (index >= 0x3E) return kNamedKeys[kNamedKeys.size() - 2 + (index - 0x3E)];
  return kNamedKeys[index % (kNamedKeys.size() - 2)];
}

constexpr int kChecks = 3;

}  // namespace

std::string DialogKeys(Input input) {
  static reliability::WorkingDirectory directory;
  // The check only reads data.txt: one file for the whole run.
  static const bool written = (reliability::WriteFile(directory.path() / "data.txt", kDataTxt), true);
  (void)written;
  KeepIniFilesInMemory();
  directory.ClearCheckFiles();
  const reliability::World world = reliability::UseSmallWorld();
  reliability::User user;
  user.picture_every = 256;
  std::size_t next = 0;
  user.key_source = [&]() -> Key { return next < input.size() ? KeyOf(input[next++]) : standin::NoKey(); };
  // A question takes the next byte as its answer: even is yes.
  user.answer = [&](const reliability::SeenBox& box) -> std::int16_t {
    if (box.kind != standin::kBoxQuestion) return 0;
    const bool yes = next >= input.size() || (input[next++] & 1) == 0;
    return yes ? standin::kAnswerYes : standin::kAnswerNo;
  };

  for (int check = 0; check < kChecks && (check == 0 || next < input.size()); ++check) {
    const reliability::CheckOutcome outcome = reliability::RunCheck(world, user);
    if (outcome.result != 0) return "check " + std::to_string(check + 1) + " answered " + std::to_string(outcome.result);
    if (outcome.leaked_blocks != 0) return "check " + std::to_string(check + 1) + " leaked host blocks";
    if (!user.faults().empty()) return "check " + std::to_string(check + 1) + ": " + user.faults().front();
  }
  return BoxesFault(user);
}

}  // namespace fuzz
