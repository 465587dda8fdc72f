#include "platform/posix/PosixSystem.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "base/Errno.h"

extern char** environ;

// The build passes the installed data folder to this file alone (cmake/Install.cmake), so
// that changing the install prefix recompiles one file.
#ifndef QW77_DATA_DIR
#error "QW77_DATA_DIR is not defined: cmake/Install.cmake defines it for this file"
#endif

namespace qw77 {
namespace {

// A program that cannot be run is, to the caller, either refused or not there at all.
Status NotRunnable(std::string_view program, int err) {
  Status why = ErrnoStatus(err, "cannot run " + std::string(program));
  if (why.code() == ErrorCode::kPermission) return why;
  return {ErrorCode::kNotFound, why.message()};
}

// errno for a path that cannot be executed, 0 when it can.
int ExecutableError(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return errno;
  if (S_ISDIR(st.st_mode)) return EISDIR;
  if (::access(path.c_str(), X_OK) != 0) return errno;
  return 0;
}

}  // namespace

Result<std::string> ResolveExecutable(std::string_view program, std::string_view path_variable) {
  if (program.empty()) return Status(ErrorCode::kNotFound, "no program to run");
  if (program.find('/') != std::string_view::npos) {
    std::string path(program);
    if (int err = ExecutableError(path); err != 0) return NotRunnable(program, err);
    return path;
  }
  int first_error = ENOENT;
  std::size_t start = 0;
  while (start <= path_variable.size()) {
    std::size_t colon = path_variable.find(':', start);
    if (colon == std::string_view::npos) colon = path_variable.size();
    std::string dir(path_variable.substr(start, colon - start));
    if (dir.empty()) dir = ".";
    std::string candidate = dir + "/" + std::string(program);
    const int err = ExecutableError(candidate);
    if (err == 0) return candidate;
    if (err != ENOENT && err != ENOTDIR && first_error == ENOENT) first_error = err;
    start = colon + 1;
  }
  return NotRunnable(program, first_error);
}

std::optional<std::string> PosixSystem::GetEnv(std::string_view name) {
  const char* value = std::getenv(std::string(name).c_str());
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

Result<ProcessId> PosixSystem::StartProcess(const std::vector<std::string>& argv) {
  ReapReleased();
  if (argv.empty()) return Status(ErrorCode::kInvalidArgument, "no program to run");
  // posix_spawn may only tell of a failed exec through exit status 127, which looks like a
  // command that ran and failed; so the program is checked before it is started.
  const char* path_env = std::getenv("PATH");
  Result<std::string> program = ResolveExecutable(argv[0], path_env ? path_env : "/bin:/usr/bin");
  if (!program) return program.status();

  std::vector<char*> args;
  args.reserve(argv.size() + 1);
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);

  pid_t pid = 0;
  const int err = posix_spawn(&pid, program->c_str(), nullptr, nullptr, args.data(), environ);
  if (err != 0) return NotRunnable(argv[0], err);
  children_[pid] = Child{};
  return static_cast<ProcessId>(pid);
}

bool PosixSystem::Poll(ProcessId pid, Child& child) {
  if (child.ended) return true;
  int status = 0;
  pid_t done = 0;
  do {
    done = ::waitpid(static_cast<pid_t>(pid), &status, WNOHANG);
  } while (done < 0 && errno == EINTR);
  if (done < 0) return false;
  if (done == 0) return true;
  child.ended = true;
  if (WIFEXITED(status)) {
    child.exit_code = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    child.exit_code = 128 + WTERMSIG(status);  // as shells say
  }
  return true;
}

ProcessPoll PosixSystem::PollProcess(ProcessId pid) {
  ReapReleased();
  auto it = children_.find(pid);
  if (it == children_.end() || it->second.released) return {};
  if (!Poll(pid, it->second)) return {};
  if (!it->second.ended) return {ProcessState::kRunning, 0};
  return {ProcessState::kExited, it->second.exit_code};
}

void PosixSystem::ReleaseProcess(ProcessId pid) {
  auto it = children_.find(pid);
  if (it != children_.end()) it->second.released = true;
  ReapReleased();
}

void PosixSystem::ReapReleased() {
  for (auto it = children_.begin(); it != children_.end();) {
    Child& child = it->second;
    if (child.released && (!Poll(it->first, child) || child.ended)) {
      it = children_.erase(it);
    } else {
      ++it;
    }
  }
}

std::string PosixSystem::ProgramDirectory() {
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return ".";
  std::string dir = exe.parent_path().string();
  return dir.empty() ? "/" : dir;
}

std::string PosixSystem::DataDirectory() {
  return QW77_DATA_DIR;
}

}  // namespace qw77
