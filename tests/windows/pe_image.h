// What a 32-bit Windows library declares about itself: its exports, its
// imports and its resource types, read from the file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace wintest {

struct PeExport {
  std::uint32_t ordinal;
  std::string name;  // empty: exported by ordinal only
};

struct PeImport {
  std::string library;
  std::vector<std::uint32_t> ordinals;  // imported by ordinal
  std::vector<std::string> names;       // imported by name
};

struct PeImage {
  std::uint16_t machine = 0;
  bool is_dll = false;
  std::string export_name;  // the library name in the export directory
  std::vector<PeExport> exports;
  std::vector<PeImport> imports;
  std::vector<std::uint32_t> resource_types;
};

// Null when the file cannot be read or is not a 32-bit PE image.
std::optional<PeImage> ReadPeImage(const std::string& path);

}  // namespace wintest
