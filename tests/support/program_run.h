// Runs a program as a user starts it: in a folder of its own, with no
// terminal, its output and errors collected.
#pragma once

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/file_bytes.h"

namespace testing_support {

struct Outcome {
  int exit_code = -1;
  std::string out;
  std::string err;
};

// How often `piece` stands in the output, not overlapping.
inline std::size_t Count(const std::string& text, const std::string& piece) {
  std::size_t count = 0;
  for (auto at = text.find(piece); at != std::string::npos; at = text.find(piece, at + piece.size())) ++count;
  return count;
}

// The output line by line, without the line ends.
inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// args[0] is the program; the output goes through two files in `dir`,
// which are removed afterwards. A program still running after
// `timeout_seconds` (0: none) is ended by SIGALRM, which the exit code shows.
inline Outcome RunProgram(const std::filesystem::path& dir, std::vector<std::string> args,
                          unsigned timeout_seconds = 0) {
  const pid_t child = fork();
  if (child == 0) {
    if (chdir(dir.c_str()) != 0) _exit(126);
    if (timeout_seconds != 0) alarm(timeout_seconds);
    const int in = open("/dev/null", O_RDONLY);
    const int out = open("program.out", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open("program.err", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  waitpid(child, &status, 0);
  Outcome run;
  run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  run.out = ReadBytes(dir / "program.out");
  run.err = ReadBytes(dir / "program.err");
  std::filesystem::remove(dir / "program.out");
  std::filesystem::remove(dir / "program.err");
  return run;
}

}  // namespace testing_support
