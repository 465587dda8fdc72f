// Runs the real qw77-vprinter executable for the tests of what only a whole process shows:
// exit status, messages, signals, files left behind.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/TestPaths.h"
#include "tests/vprinter/VPrinterTestUtil.h"

namespace qw77::vprinter::testing {

// Generous: only a process that hangs runs into it, and it is then killed and reported.
constexpr int kProcessLimitMs = 60000;

struct Exit {
  int code = -1;      // exit status, -1 when killed by a signal
  int signal = 0;     // the signal that ended it, 0 when it exited
  bool hung = false;  // ran past the limit and was killed
  std::string out, err;
};

class VPrinterProcess {
 public:
  explicit VPrinterProcess(const std::vector<std::string>& args) {
    int out[2], err[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(out[1], 1);
      dup2(err[1], 2);
      std::vector<char*> argv;
      std::string exe = test::BinPath("qw77-vprinter");
      argv.push_back(exe.data());
      std::vector<std::string> copy = args;
      for (std::string& a : copy) argv.push_back(a.data());
      argv.push_back(nullptr);
      execv(exe.c_str(), argv.data());
      _exit(127);
    }
    close(out[1]);
    close(err[1]);
    out_fd_ = out[0];
    err_fd_ = err[0];
  }
  ~VPrinterProcess() {
    if (pid_ > 0 && !reaped_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    for (int fd : {out_fd_, err_fd_}) {
      if (fd >= 0) close(fd);
    }
  }
  VPrinterProcess(const VPrinterProcess&) = delete;
  VPrinterProcess& operator=(const VPrinterProcess&) = delete;

  pid_t pid() const { return pid_; }
  const std::string& out() const { return exit_.out; }

  // Reads the output until a line equal to `line` has come; false when the process ended
  // or the limit passed first.
  bool WaitForLine(const std::string& line, int limit_ms = kProcessLimitMs) {
    const auto until = Clock::now() + std::chrono::milliseconds(limit_ms);
    while (exit_.out.find(line + "\n") == std::string::npos) {
      if (!Pump(until)) return false;
    }
    return true;
  }

  void Signal(int sig) { kill(pid_, sig); }

  // Waits for the process to end, killing it past the limit.
  Exit Wait(int limit_ms = kProcessLimitMs) {
    const auto until = Clock::now() + std::chrono::milliseconds(limit_ms);
    while (Pump(until)) {
    }
    if (out_fd_ >= 0 || err_fd_ >= 0) {
      exit_.hung = true;
      kill(pid_, SIGKILL);
    }
    int status = 0;
    waitpid(pid_, &status, 0);
    reaped_ = true;
    if (WIFEXITED(status)) exit_.code = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) exit_.signal = WTERMSIG(status);
    return exit_;
  }

 private:
  using Clock = std::chrono::steady_clock;

  // Takes what the pipes have; false once both are closed or the time is up.
  bool Pump(Clock::time_point until) {
    std::vector<pollfd> fds;
    for (int fd : {out_fd_, err_fd_}) {
      if (fd >= 0) fds.push_back({fd, POLLIN, 0});
    }
    if (fds.empty()) return false;
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
    if (left <= 0 || poll(fds.data(), fds.size(), static_cast<int>(left)) <= 0) return false;
    for (const pollfd& p : fds) {
      if (!p.revents) continue;
      char buf[4096];
      const ssize_t n = read(p.fd, buf, sizeof buf);
      int& fd = p.fd == out_fd_ ? out_fd_ : err_fd_;
      std::string& text = p.fd == out_fd_ ? exit_.out : exit_.err;
      if (n > 0) {
        text.append(buf, static_cast<std::size_t>(n));
      } else {
        close(fd);
        fd = -1;
      }
    }
    return true;
  }

  pid_t pid_ = -1;
  bool reaped_ = false;
  int out_fd_ = -1, err_fd_ = -1;
  Exit exit_;
};

inline Exit RunVPrinter(const std::vector<std::string>& args) {
  return VPrinterProcess(args).Wait();
}

}  // namespace qw77::vprinter::testing
