// A fresh folder under /tmp for one test, removed with everything in it.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace testing_support {

class ScratchDirectory {
 public:
  // `prefix` names the folder, e.g. "prufacja-check".
  explicit ScratchDirectory(const std::string& prefix, const std::filesystem::path& base = "/tmp") {
    std::string pattern = (base / (prefix + "-XXXXXX")).string();
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~ScratchDirectory() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// `path` is the current directory until the object goes; an empty or
// missing one throws, so that no test runs in the wrong folder.
class CurrentDirectory {
 public:
  explicit CurrentDirectory(const std::filesystem::path& path) : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(path);
  }
  ~CurrentDirectory() {
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
  }
  CurrentDirectory(const CurrentDirectory&) = delete;
  CurrentDirectory& operator=(const CurrentDirectory&) = delete;

 private:
  std::filesystem::path previous_;
};

// A scratch folder that is the current directory for its lifetime.
class ScratchWorkingDirectory {
 public:
  explicit ScratchWorkingDirectory(const std::string& prefix, const std::filesystem::path& base = "/tmp")
      : scratch_(prefix, base), current_(scratch_.path()) {}

  const std::filesystem::path& path() const { return scratch_.path(); }

 private:
  ScratchDirectory scratch_;
  CurrentDirectory current_;  // declared last: left before the folder is removed
};

}  // namespace testing_support
