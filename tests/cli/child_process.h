#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace varnelo::test {

// A program started with arguments, its standard output and error captured and
// its standard input fed from a text, so a test can check what it printed,
// signal it in the middle and read its exit status.
class ChildProcess {
 public:
  ChildProcess(const std::string& program, const std::vector<std::string>& args,
               const std::string& input = "");
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  void Signal(int signal);
  // Waits for the end; the exit status, or 128 + signal when it was killed.
  int Wait();

  const std::string& out() const { return out_; }
  const std::string& err() const { return err_; }

 private:
  pid_t pid_ = -1;
  int outPipe_ = -1;
  int errPipe_ = -1;
  std::string out_;
  std::string err_;
  bool waited_ = false;
  int status_ = -1;
};

}  // namespace varnelo::test
