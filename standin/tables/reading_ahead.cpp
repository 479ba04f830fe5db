#include "standin/tables/reading_ahead.h"

#include <functional>

#include "standin/testing.h"

namespace standin {

namespace sqlite {

ReadingAhead::ReadingAhead(const std::filesystem::path& file)
    : connection_(std::make_shared<Connection>(file, Connection::Access::ReadOnly)), thread_([this] { Read(); }) {}

ReadingAhead::~ReadingAhead() {
  stop_.store(true, std::memory_order_relaxed);
  connection_->Interrupt();
  if (thread_.joinable()) thread_.join();
}

std::pair<std::shared_ptr<KeptGoodsTable>, std::shared_ptr<KeptCodes>> ReadingAhead::Take() {
  if (thread_.joinable()) thread_.join();
  return {std::move(goods_), std::move(codes_)};
}

void ReadingAhead::Read() noexcept {
  try {
    connection_->Execute("BEGIN");
    goods_ = ReadGoodsTable(connection_, &stop_);
    if (const auto& step = testing::WhileReadingAhead(); step) step();
    if (goods_ != nullptr) codes_ = ReadCodesQuietly(connection_, &stop_);
    connection_->Execute("COMMIT");
  } catch (...) {
    goods_.reset();
  }
  if (codes_ == nullptr) goods_.reset();
}

}  // namespace sqlite

namespace testing {
std::function<void()>& WhileReadingAhead() {
  static std::function<void()> step;
  return step;
}
}  // namespace testing

}  // namespace standin
