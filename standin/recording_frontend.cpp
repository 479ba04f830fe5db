#include "standin/recording_frontend.h"

#include "abi/codepage.h"

namespace standin {

std::string RecordedBox::CaptionUtf8() const {
  return kind < 0 ? caption : codepage::MazoviaToUtf8(caption);
}

std::string RecordedBox::TextUtf8() const { return kind < 0 ? text : codepage::MazoviaToUtf8(text); }

RecordingFrontEnd::RecordingFrontEnd() : previous_(&CurrentFrontEnd()) { SetFrontEnd(this); }

RecordingFrontEnd::~RecordingFrontEnd() {
  if (&CurrentFrontEnd() == this) SetFrontEnd(previous_);
}

int RecordingFrontEnd::Next(int fallback) {
  if (answers_.empty()) return fallback;
  const int answer = answers_.front();
  answers_.pop_front();
  return answer;
}

std::int16_t RecordingFrontEnd::ShowBox(const BoxRequest& box) {
  const int answer = Next(box.kind == kBoxQuestion ? kAnswerNo : kAnswerOk);
  boxes_.push_back({box.caption, box.text, box.kind, answer});
  return static_cast<std::int16_t>(answer);
}

void RecordingFrontEnd::ShowNotice(const std::string& text, std::int16_t& flag) {
  boxes_.push_back({"", text, kBoxNotice, kAnswerOk});
  if (tick_notice_) flag = 1;
}

int RecordingFrontEnd::ShowSystemBox(const std::string& caption, const std::string& text) {
  const int answer = Next(3);
  boxes_.push_back({caption, text, -1, answer});
  return answer;
}

}  // namespace standin
