#include "tests/windows/pe_image.h"

#include <cstring>
#include <fstream>
#include <iterator>

namespace wintest {

namespace {

class Reader {
 public:
  explicit Reader(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}

  bool Fits(std::size_t offset, std::size_t size) const {
    return offset <= bytes_.size() && size <= bytes_.size() - offset;
  }
  std::uint32_t U32(std::size_t offset) const { return Fits(offset, 4) ? Load<std::uint32_t>(offset) : 0; }
  std::uint16_t U16(std::size_t offset) const { return Fits(offset, 2) ? Load<std::uint16_t>(offset) : 0; }
  std::string Text(std::size_t offset) const {
    std::string text;
    while (offset < bytes_.size() && bytes_[offset] != 0) text += static_cast<char>(bytes_[offset++]);
    return text;
  }

 private:
  template <class T>
  T Load(std::size_t offset) const {
    T value;
    std::memcpy(&value, bytes_.data() + offset, sizeof value);
    return value;
  }
  std::vector<std::uint8_t> bytes_;
};

struct Section {
  std::uint32_t address, size, raw_offset, raw_size;
};

// File offset of a relative virtual address; 0 when no section holds it.
std::size_t FileOffset(const std::vector<Section>& sections, std::uint32_t rva) {
  for (const Section& s : sections) {
    if (rva >= s.address && rva < s.address + std::max(s.size, s.raw_size)) return s.raw_offset + (rva - s.address);
  }
  return 0;
}

}  // namespace

std::optional<PeImage> ReadPeImage(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  const Reader in(std::vector<std::uint8_t>(std::istreambuf_iterator<char>(file), {}));

  if (in.U16(0) != 0x5A4D) return std::nullopt;  // "MZ"
  const std::size_t pe = in.U32(0x3C);
  if (in.U32(pe) != 0x00004550) return std::nullopt;  // "PE\0\0"
  PeImage image;
  image.machine = in.U16(pe + 4);
  const std::uint16_t section_count = in.U16(pe + 6);
  const std::uint16_t optional_size = in.U16(pe + 20);
  image.is_dll = (in.U16(pe + 22) & 0x2000) != 0;
  const std::size_t optional = pe + 24;
  if (in.U16(optional) != 0x10B) return std::nullopt;  // PE32
  const std::size_t directories = optional + 96;

  std::vector<Section> sections;
  const std::size_t table = optional + optional_size;
  for (std::size_t i = 0; i < section_count; ++i) {
    const std::size_t at = table + i * 40;
    sections.push_back({in.U32(at + 12), in.U32(at + 8), in.U32(at + 20), in.U32(at + 16)});
  }

  // Exports: every address with its ordinal, and the names that point at one.
  if (const std::uint32_t rva = in.U32(directories); rva != 0) {
    const std::size_t at = FileOffset(sections, rva);
    image.export_name = in.Text(FileOffset(sections, in.U32(at + 12)));
    const std::uint32_t base = in.U32(at + 16);
    const std::uint32_t functions = in.U32(at + 20);
    const std::uint32_t names = in.U32(at + 24);
    const std::size_t addresses = FileOffset(sections, in.U32(at + 28));
    const std::size_t name_table = FileOffset(sections, in.U32(at + 32));
    const std::size_t ordinal_table = FileOffset(sections, in.U32(at + 36));
    for (std::uint32_t i = 0; i < functions; ++i) {
      if (in.U32(addresses + 4 * i) == 0) continue;
      PeExport entry{base + i, {}};
      for (std::uint32_t n = 0; n < names; ++n) {
        if (in.U16(ordinal_table + 2 * n) == i) entry.name = in.Text(FileOffset(sections, in.U32(name_table + 4 * n)));
      }
      image.exports.push_back(entry);
    }
  }

  // Imports: per library, its lookup table of ordinals and names.
  if (const std::uint32_t rva = in.U32(directories + 8); rva != 0) {
    for (std::size_t at = FileOffset(sections, rva); in.U32(at + 12) != 0; at += 20) {
      PeImport library{in.Text(FileOffset(sections, in.U32(at + 12))), {}, {}};
      const std::uint32_t lookup = in.U32(at) != 0 ? in.U32(at) : in.U32(at + 16);
      for (std::size_t thunk = FileOffset(sections, lookup); in.U32(thunk) != 0; thunk += 4) {
        const std::uint32_t value = in.U32(thunk);
        if ((value & 0x80000000u) != 0) {
          library.ordinals.push_back(value & 0xFFFFu);
        } else {
          library.names.push_back(in.Text(FileOffset(sections, value) + 2));
        }
      }
      image.imports.push_back(library);
    }
  }

  // Resource types: the identifiers of the root directory's entries.
  if (const std::uint32_t rva = in.U32(directories + 16); rva != 0) {
    const std::size_t at = FileOffset(sections, rva);
    const std::size_t entries = std::size_t{in.U16(at + 12)} + in.U16(at + 14);
    for (std::size_t i = 0; i < entries; ++i) image.resource_types.push_back(in.U32(at + 16 + 8 * i));
  }
  return image;
}

}  // namespace wintest
