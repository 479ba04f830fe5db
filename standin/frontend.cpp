#include "standin/frontend.h"

namespace standin {

namespace {

class DefaultFrontEnd final : public FrontEnd {
 public:
  std::int16_t ShowBox(const BoxRequest& box) override {
    return box.kind == kBoxQuestion ? kAnswerNo : kAnswerOk;
  }
  void ShowNotice(const std::string&, std::int16_t&) override {}
  int ShowSystemBox(const std::string&, const std::string&) override { return 3; }
};

FrontEnd* current = nullptr;

}  // namespace

FrontEnd& CurrentFrontEnd() {
  static DefaultFrontEnd fallback;
  return current != nullptr ? *current : fallback;
}

void SetFrontEnd(FrontEnd* front_end) { current = front_end; }

}  // namespace standin
