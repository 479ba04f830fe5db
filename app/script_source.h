// The script as the scripted front end reads it, with one hook: it runs
// just before the first line that is more than an answer or a comment is
// handed over (or at the end of a script of nothing else). The program
// loads the plug-in there, so that the answers at the head of a script
// answer the boxes that loading shows.
#pragma once

#include <functional>
#include <istream>
#include <streambuf>
#include <string>

namespace app {

class ScriptSource : public std::streambuf {
 public:
  ScriptSource(std::istream& script, std::function<void()> before_first_command);

  bool started() const { return started_; }

 protected:
  int_type underflow() override;

 private:
  static bool IsPreamble(const std::string& line);
  void Start();

  std::istream& script_;
  std::function<void()> before_first_command_;
  std::string line_;
  bool started_ = false;
};

}  // namespace app
