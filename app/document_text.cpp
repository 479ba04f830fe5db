#include "app/document_text.h"

#include <string_view>

#include "abi/codepage.h"

namespace app {

namespace {

constexpr std::size_t kReportHeaderLines = 4;

std::string LineUtf8(std::string_view bytes, bool windows1250) {
  std::string out;
  out.reserve(bytes.size());
  for (const char c : bytes) {
    const auto byte = static_cast<std::uint8_t>(c);
    char32_t ch = windows1250 ? codepage::Windows1250ToUnicode(byte) : codepage::MazoviaToUnicode(byte);
    if (ch == U'\t') ch = U' ';
    if (ch < 0x20 || ch == 0x7F || (ch >= 0x80 && ch < 0xA0)) ch = U'?';
    codepage::AppendUtf8(out, ch);
  }
  return out;
}

// The lines as bytes; the second: whether the last one had a line end.
std::pair<std::vector<std::string_view>, bool> SplitLines(const standin::DocumentRow& document) {
  const std::string_view bytes(reinterpret_cast<const char*>(document.content.data()), document.content.size());
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t end = bytes.find('\n', start);
    std::string_view line = bytes.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    if (end != std::string_view::npos && line.ends_with('\r')) line.remove_suffix(1);
    lines.push_back(line);
    if (end == std::string_view::npos) return {lines, false};
    start = end + 1;
  }
  return {lines, !bytes.empty()};
}

}  // namespace

std::vector<std::string> DocumentLines(const standin::DocumentRow& document) {
  const auto [lines, ended] = SplitLines(document);
  std::vector<std::string> out;
  out.reserve(lines.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    out.push_back(LineUtf8(lines[i], document.kind == kReportDocument && i < kReportHeaderLines));
  }
  return out;
}

std::string DocumentUtf8(const standin::DocumentRow& document) {
  const bool ended = SplitLines(document).second;
  const std::vector<std::string> lines = DocumentLines(document);
  std::string out;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    out += lines[i];
    if (i + 1 < lines.size() || ended) out += '\n';
  }
  return out;
}

std::string DocumentKindName(std::int32_t kind) {
  return kind == kReportDocument ? "raport" : std::to_string(kind);
}

}  // namespace app
