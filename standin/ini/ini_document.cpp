#include "standin/ini/ini_document.h"

#include "standin/trim.h"

namespace standin::ini {

namespace {

bool IsBlank(char c) { return kBlanks.find(c) != std::string_view::npos; }

bool HasLineBreakOrNul(std::string_view text) { return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos; }

char AsciiLowerChar(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string AsciiLower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = AsciiLowerChar(c);
  return out;
}

// The name of a "[name]" line, or nullopt when the line is no section header.
std::optional<std::string_view> HeaderName(std::string_view line) {
  const std::string_view trimmed = TrimBlanks(line);
  if (!trimmed.starts_with('[')) return std::nullopt;
  const std::size_t close = trimmed.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return TrimBlanks(trimmed.substr(1, close - 1));
}

// The key of a "key=value" line, or nullopt for comments and other lines.
std::optional<std::string_view> EntryKey(std::string_view line) {
  const std::string_view trimmed = TrimBlanks(line);
  if (trimmed.empty() || trimmed.front() == ';') return std::nullopt;
  const std::size_t equals = trimmed.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  const std::string_view key = TrimBlanks(trimmed.substr(0, equals));
  if (key.empty()) return std::nullopt;
  return key;
}

bool NeedsQuotes(std::string_view value) {
  if (value.empty()) return false;
  if (IsBlank(value.front()) || IsBlank(value.back())) return true;
  return value.size() >= 2 && value.front() == '"' && value.back() == '"';
}

std::string EncodedValue(std::string_view value) {
  if (!NeedsQuotes(value)) return std::string(value);
  std::string out;
  out.reserve(value.size() + 2);
  out += '"';
  out += value;
  out += '"';
  return out;
}

}  // namespace

bool IsSectionName(std::string_view name) {
  return !name.empty() && !HasLineBreakOrNul(name) && name.find(']') == std::string_view::npos;
}

bool IsKeyName(std::string_view name) {
  return !name.empty() && !HasLineBreakOrNul(name) && name.find('=') == std::string_view::npos &&
         name.front() != ';' && name.front() != '[';
}

bool IsValue(std::string_view value) { return !HasLineBreakOrNul(value); }

Document::Document() : sections_(1) {}

Document Document::Parse(std::string_view bytes) {
  Document document;
  Section* section = &document.sections_.front();
  while (!bytes.empty()) {
    const std::size_t newline = bytes.find('\n');
    std::string_view line = bytes.substr(0, newline);
    bytes.remove_prefix(newline == std::string_view::npos ? bytes.size() : newline + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);

    if (const auto name = HeaderName(line)) {
      document.by_name_.try_emplace(AsciiLower(*name), document.sections_.size());
      section = &document.sections_.emplace_back();
      section->header = line;
      continue;
    }
    // Keys before the first section belong to no section and are kept as text.
    if (section != &document.sections_.front()) {
      if (const auto key = EntryKey(line)) section->keys.try_emplace(AsciiLower(*key), section->lines.size());
    }
    section->lines.emplace_back(line);
    if (!TrimBlanks(line).empty()) section->content_end = section->lines.size();
  }
  return document;
}

std::string Document::Serialize() const {
  std::size_t size = 0;
  for (const Section& section : sections_) {
    size += section.header.size() + 2;
    for (const std::string& line : section.lines) size += line.size() + 2;
  }
  std::string out;
  out.reserve(size);
  for (std::size_t i = 0; i < sections_.size(); ++i) {
    const Section& section = sections_[i];
    if (i != 0) {
      out += section.header;
      out += "\r\n";
    }
    for (const std::string& line : section.lines) {
      out += line;
      out += "\r\n";
    }
  }
  return out;
}

const Document::Section* Document::FindSection(std::string_view name) const {
  const auto found = by_name_.find(name);
  return found == by_name_.end() ? nullptr : &sections_[found->second];
}

std::optional<std::string_view> Document::Find(std::string_view section_name, std::string_view key) const {
  const Section* section = FindSection(section_name);
  if (section == nullptr) return std::nullopt;
  const auto found = section->keys.find(key);
  if (found == section->keys.end()) return std::nullopt;
  const std::string_view line = section->lines[found->second];
  std::string_view value = TrimBlanks(line.substr(line.find('=') + 1));
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
  return value;
}

bool Document::Set(std::string_view section_name, std::string_view key, std::string_view value) {
  std::string lower_section = AsciiLower(section_name);
  auto section_at = by_name_.find(lower_section);
  if (section_at == by_name_.end()) {
    section_at = by_name_.emplace(std::move(lower_section), sections_.size()).first;
    Section& added = sections_.emplace_back();
    added.header = "[" + std::string(section_name) + "]";
  }
  Section& section = sections_[section_at->second];

  std::string lower_key = AsciiLower(key);
  if (const auto found = section.keys.find(lower_key); found != section.keys.end()) {
    // The line keeps its key as spelt in the file and whatever precedes '='.
    std::string& line = section.lines[found->second];
    const std::size_t value_at = line.find('=') + 1;
    const std::string encoded = EncodedValue(value);
    if (std::string_view(line).substr(value_at) == encoded) return false;
    line.resize(value_at);
    line += encoded;
    return true;
  }
  std::string line(key);
  line += '=';
  line += EncodedValue(value);
  const std::size_t at = section.content_end;
  section.lines.insert(section.lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
  section.keys.emplace(std::move(lower_key), at);
  section.content_end = at + 1;
  return true;
}

std::size_t NameHash::operator()(std::string_view name) const noexcept {
  auto hash = static_cast<std::size_t>(14695981039346656037ull);
  for (const char c : name) {
    hash ^= static_cast<unsigned char>(AsciiLowerChar(c));
    hash *= static_cast<std::size_t>(1099511628211ull);
  }
  return hash;
}

bool NameEqual::operator()(std::string_view a, std::string_view b) const noexcept {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLowerChar(a[i]) != AsciiLowerChar(b[i])) return false;
  }
  return true;
}

}  // namespace standin::ini
