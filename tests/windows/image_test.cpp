// prufacja.dll as Windows sees it before loading it: its one export, what
// it imports, and its version resource; and the stand-in KORPUS.DLL's
// export table.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <set>
#include <string>

#include "prufacja_version.h"
#include "tests/windows/pe_image.h"

namespace {

using wintest::PeImage;

std::string Beside(const char* file) {
  char path[MAX_PATH];
  const DWORD length = ::GetModuleFileNameA(nullptr, path, sizeof path);
  std::string folder(path, length);
  return folder.substr(0, folder.find_last_of('\\') + 1) + file;
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

const PeImage& Plugin() {
  static const PeImage image = [] {
    auto read = wintest::ReadPeImage(Beside("prufacja.dll"));
    return read ? *read : PeImage{};
  }();
  return image;
}

TEST(PluginImage, IsA32BitLibrary) {
  EXPECT_EQ(Plugin().machine, 0x14C);
  EXPECT_TRUE(Plugin().is_dll);
}

TEST(PluginImage, ExportsOrdinal30001OnlyAndWithoutAName) {
  ASSERT_EQ(Plugin().exports.size(), 1u);
  EXPECT_EQ(Plugin().exports[0].ordinal, 30001u);
  EXPECT_EQ(Plugin().exports[0].name, "");
  EXPECT_EQ(Plugin().export_name, "prufacja.dll");
}

TEST(PluginImage, ImportsFromKorpusOnlyEntry30005ByOrdinal) {
  const auto korpus = std::find_if(Plugin().imports.begin(), Plugin().imports.end(),
                                   [](const wintest::PeImport& i) { return Upper(i.library) == "KORPUS.DLL"; });
  ASSERT_NE(korpus, Plugin().imports.end());
  EXPECT_EQ(korpus->ordinals, std::vector<std::uint32_t>{30005});
  EXPECT_TRUE(korpus->names.empty());
}

TEST(PluginImage, NeedsNoLibraryBeyondWindowsOwnAndKorpus) {
  const std::vector<std::string> allowed = {"KERNEL32.DLL", "USER32.DLL", "MSVCRT.DLL", "KORPUS.DLL"};
  ASSERT_FALSE(Plugin().imports.empty());
  for (const auto& library : Plugin().imports) {
    EXPECT_NE(std::find(allowed.begin(), allowed.end(), Upper(library.library)), allowed.end()) << library.library;
  }
}

TEST(PluginImage, CallsOnlyTheSystemEntriesItNames) {
  // Windows calls of the host frame that must be the system's own; the
  // test routes MessageBoxA and GetProcAddress through these imports.
  for (const auto& library : Plugin().imports) {
    const auto has = [&](const char* name) {
      return std::find(library.names.begin(), library.names.end(), name) != library.names.end();
    };
    if (Upper(library.library) == "USER32.DLL") {
      EXPECT_TRUE(has("MessageBoxA"));
      EXPECT_TRUE(has("wvsprintfA"));
    }
    if (Upper(library.library) == "KERNEL32.DLL") {
      EXPECT_TRUE(has("GetProcAddress"));
      EXPECT_TRUE(has("GetModuleHandleA"));
      EXPECT_TRUE(has("GetModuleFileNameA"));
      EXPECT_TRUE(has("lstrcpyA"));
    }
  }
}

TEST(PluginImage, CarriesAVersionResourceNamingTheLibrary) {
  constexpr std::uint32_t kVersionResource = 16;
  EXPECT_NE(std::find(Plugin().resource_types.begin(), Plugin().resource_types.end(), kVersionResource),
            Plugin().resource_types.end());

  const std::string path = Beside("prufacja.dll");
  DWORD handle = 0;
  const DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &handle);
  ASSERT_GT(size, 0u);
  std::vector<char> data(size);
  ASSERT_TRUE(::GetFileVersionInfoA(path.c_str(), 0, size, data.data()));
  char* value = nullptr;
  UINT length = 0;
  ASSERT_TRUE(::VerQueryValueA(data.data(), "\\StringFileInfo\\041504E2\\OriginalFilename",
                               reinterpret_cast<void**>(&value), &length));
  EXPECT_STREQ(value, "prufacja.dll");

  // The release's one version, in the text and in the numbers.
  ASSERT_TRUE(::VerQueryValueA(data.data(), "\\StringFileInfo\\041504E2\\FileVersion",
                               reinterpret_cast<void**>(&value), &length));
  EXPECT_STREQ(value, PRUFACJA_VERSION_TEXT);
  VS_FIXEDFILEINFO* fixed = nullptr;
  ASSERT_TRUE(::VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, static_cast<DWORD>(PRUFACJA_VERSION_MAJOR << 16 | PRUFACJA_VERSION_MINOR));
  EXPECT_EQ(fixed->dwFileVersionLS, static_cast<DWORD>(PRUFACJA_VERSION_PATCH << 16));
}

// Every ordinal of the entry table.
const std::set<std::uint32_t> kTableOrdinals = {
#define KORPUS_ENTRY(ordinal, conv, bytes, name, result, params) ordinal,
#define KORPUS_DIRECT KORPUS_ENTRY
#include "abi/korpus_entries.inc"
#undef KORPUS_ENTRY
#undef KORPUS_DIRECT
};

TEST(StandInImage, ExportsEveryHostEntryByOrdinalAloneAndNothingElseAmongThem) {
  const auto korpus = wintest::ReadPeImage(Beside("KORPUS.DLL"));
  if (!korpus) GTEST_SKIP() << "the stand-in is not built";
  EXPECT_EQ(korpus->export_name, "KORPUS.DLL");
  std::set<std::uint32_t> host_range;
  for (const auto& entry : korpus->exports) {
    if (entry.ordinal < 20000) continue;
    host_range.insert(entry.ordinal);
    EXPECT_EQ(entry.name, "") << entry.ordinal;
  }
  EXPECT_EQ(host_range, kTableOrdinals);
}

}  // namespace
