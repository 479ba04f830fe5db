// A front end for tests: keeps every box and answers from a queue.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "standin/frontend.h"

namespace standin {

struct RecordedBox {
  std::string caption;  // Mazovia bytes (system boxes: Windows-1250)
  std::string text;
  std::int32_t kind;    // box kind; -1 for a system box
  int answer;

  std::string CaptionUtf8() const;
  std::string TextUtf8() const;  // markup bytes kept
};

class RecordingFrontEnd : public FrontEnd {
 public:
  RecordingFrontEnd();
  ~RecordingFrontEnd() override;

  // Queued answers are taken in order by boxes of any kind; an empty queue
  // gives the default answer (OK, no; abort for a system box).
  void Answer(int answer) { answers_.push_back(answer); }
  void TickNotice(bool tick) { tick_notice_ = tick; }

  const std::vector<RecordedBox>& boxes() const { return boxes_; }
  int signals() const { return signals_; }
  void Clear() { boxes_.clear(); answers_.clear(); signals_ = 0; }

  std::int16_t ShowBox(const BoxRequest& box) override;
  void ShowNotice(const std::string& text, std::int16_t& flag) override;
  void Signal() override { ++signals_; }
  int ShowSystemBox(const std::string& caption, const std::string& text) override;

 private:
  int Next(int fallback);

  std::deque<int> answers_;
  std::vector<RecordedBox> boxes_;
  int signals_ = 0;
  bool tick_notice_ = false;
  FrontEnd* previous_;
};

}  // namespace standin
