// The goods and the code table read on a thread and a read-only
// connection of their own, in one snapshot of the file, from the moment
// the host program has opened the database: a million goods take a
// second, which the user spends reaching an invoice. What was read is
// taken by the first whole scan, if the file has not changed meanwhile.
#pragma once

#include <atomic>
#include <filesystem>
#include <memory>
#include <thread>
#include <utility>

#include "standin/tables/kept_tables.h"
#include "standin/tables/sqlite_connection.h"

namespace standin::sqlite {

class ReadingAhead {
 public:
  explicit ReadingAhead(const std::filesystem::path& file);
  ReadingAhead(const ReadingAhead&) = delete;
  ReadingAhead& operator=(const ReadingAhead&) = delete;

  // Abandoned: stopped where it is.
  ~ReadingAhead();

  // Waits for the end of the reading; null where it failed.
  std::pair<std::shared_ptr<KeptGoodsTable>, std::shared_ptr<KeptCodes>> Take();

 private:
  void Read() noexcept;

  std::atomic<bool> stop_{false};
  std::shared_ptr<Connection> connection_;
  std::shared_ptr<KeptGoodsTable> goods_;
  std::shared_ptr<KeptCodes> codes_;
  std::thread thread_;  // last: it starts once the rest is in place
};

}  // namespace standin::sqlite
