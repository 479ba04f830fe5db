// The third view beside the registers: the documents that checks stored,
// newest last, and a viewer of one of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "standin/dialog/keys.h"
#include "standin/dialog/screen.h"
#include "standin/tables/store.h"

namespace app {

// One document as the list shows it.
struct DocumentEntry {
  std::int64_t id = 0;
  std::string stored_at;
  std::string kind;
  std::string invoice;  // its number and register, or "-"
  std::size_t size = 0;
  std::vector<std::string> lines;  // UTF-8
};

class DocumentsView {
 public:
  // Reads the store's documents afresh; the current row stays on the same
  // document where it can.
  void Load(standin::Store& store);

  std::size_t size() const { return entries_.size(); }
  std::size_t current() const { return current_; }
  const DocumentEntry& entry(std::size_t index) const { return entries_[index]; }
  bool viewing() const { return viewing_; }

  // False when the key leaves the view (Esc from the list).
  bool HandleKey(const standin::Key& key, int screen_height);
  void Draw(standin::Screen& screen);

 private:
  bool MoveList(const standin::Key& key, int page);
  void Scroll(const standin::Key& key, int page, int width);

  std::vector<DocumentEntry> entries_;
  std::size_t current_ = 0;
  std::size_t top_ = 0;
  bool viewing_ = false;
  std::size_t first_line_ = 0;
  std::size_t first_column_ = 0;
  int width_ = 80;  // of the last picture, for the scroll's right end
};

// Rows of text that the list or the viewer shows on a screen of that height.
int DocumentPageRows(int screen_height);

}  // namespace app
