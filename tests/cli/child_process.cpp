#include "tests/cli/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

namespace varnelo::test {

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args,
                           const std::string& input) {
  int in[2], out[2], err[2];
  if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0) throw std::runtime_error("pipe");
  pid_ = fork();
  if (pid_ == 0) {
    dup2(in[0], 0);
    dup2(out[1], 1);
    dup2(err[1], 2);
    for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) close(fd);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  close(err[1]);
  // The input is small; the pipe buffer holds it, then end of file.
  if (!input.empty() && write(in[1], input.data(), input.size()) < 0) {
    throw std::runtime_error("write");
  }
  close(in[1]);
  outPipe_ = out[0];
  errPipe_ = err[0];
}

ChildProcess::~ChildProcess() {
  if (!waited_ && pid_ > 0) {
    kill(pid_, SIGKILL);
    Wait();
  }
}

void ChildProcess::Signal(int signal) { kill(pid_, signal); }

int ChildProcess::Wait() {
  if (waited_) return status_;
  // Drain both pipes until the child closes them, so it never blocks on a full one.
  pollfd fds[2] = {{outPipe_, POLLIN, 0}, {errPipe_, POLLIN, 0}};
  std::string* sinks[2] = {&out_, &err_};
  int open = 2;
  while (open > 0) {
    if (poll(fds, 2, -1) < 0) break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || (fds[i].revents & (POLLIN | POLLHUP)) == 0) continue;
      char buffer[65536];
      ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
      if (got <= 0) {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      } else {
        sinks[i]->append(buffer, static_cast<size_t>(got));
      }
    }
  }
  int raw = 0;
  waitpid(pid_, &raw, 0);
  waited_ = true;
  status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
  return status_;
}

}  // namespace varnelo::test
