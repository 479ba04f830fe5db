// A private-profile file held as its lines: "[section]" lines and
// "key=value" lines, names matched without regard to ASCII case. Lines that
// are not touched are written back as they were read, comments and hand-made
// layout included; every line ends in CR LF when written.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace standin::ini {

// Names and values that a line can hold without changing the file's
// structure (no line ends, no brackets or '=' where they would be read as
// structure). Names are expected trimmed.
bool IsSectionName(std::string_view name);
bool IsKeyName(std::string_view name);
bool IsValue(std::string_view value);

// Names without regard to ASCII case, looked up without a copy: a resume
// reads every key of a long file one call at a time.
struct NameHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view name) const noexcept;
};
struct NameEqual {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const noexcept;
};
using NameIndex = std::unordered_map<std::string, std::size_t, NameHash, NameEqual>;

class Document {
 public:
  Document();
  static Document Parse(std::string_view bytes);
  std::string Serialize() const;

  // The value as a user means it: blanks around it dropped, and one pair of
  // enclosing double quotes, which keep blanks that belong to the value.
  std::optional<std::string_view> Find(std::string_view section, std::string_view key) const;

  // Replaces the key's value in its line, or adds the key after the last
  // non-blank line of its section, or the section at the end of the file.
  // False when the file's bytes stay as they were.
  bool Set(std::string_view section, std::string_view key, std::string_view value);

 private:
  struct Section {
    std::string header;  // the "[name]" line; empty for the lines before any section
    std::vector<std::string> lines;
    NameIndex keys;  // key -> its first line
    std::size_t content_end = 0;  // after the last non-blank line
  };

  const Section* FindSection(std::string_view name) const;

  std::vector<Section> sections_;
  NameIndex by_name_;  // name -> first section
};

}  // namespace standin::ini
