#include "tools/member-db-server/FakeServerProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

extern char** environ;

namespace memberdb {
namespace {

void Stop(pid_t pid) {
  if (pid <= 0) return;
  ::kill(pid, SIGTERM);
  while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
  }
}

}  // namespace

std::string ServerProgramPath() { return MEMBER_DB_SERVER_PATH; }
std::string SampleDataPath() { return MEMBER_DB_SAMPLE_DATA; }

common::Result<FakeServerProcess> FakeServerProcess::Start(const std::vector<std::string>& args) {
  std::vector<std::string> all{ServerProgramPath()};
  bool lifetime = false;
  for (const auto& a : args) lifetime = lifetime || a == "--lifetime";
  if (!lifetime) all.insert(all.end(), {"--lifetime", "60"});
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);

  int out[2];
  if (::pipe2(out, O_CLOEXEC) != 0) return common::Error{errno, std::string("pipe: ") + std::strerror(errno)};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  pid_t pid = -1;
  const int rc = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  if (rc != 0) {
    ::close(out[0]);
    return common::Error{rc, "cannot start " + all[0] + ": " + std::strerror(rc)};
  }

  // The first line is "PORT <n>".
  std::string line;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (line.find('\n') == std::string::npos) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd p{out[0], POLLIN, 0};
    if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
    char chunk[64];
    const ssize_t n = ::read(out[0], chunk, sizeof chunk);
    if (n <= 0) break;
    line.append(chunk, static_cast<std::size_t>(n));
  }
  ::close(out[0]);
  unsigned port = 0;
  if (std::sscanf(line.c_str(), "PORT %u", &port) != 1 || port == 0 || port > 65535) {
    Stop(pid);
    return common::Error{0, "member-db-server did not report its port (arguments wrong?)"};
  }
  return FakeServerProcess(pid, static_cast<std::uint16_t>(port));
}

FakeServerProcess::FakeServerProcess(FakeServerProcess&& other) noexcept
    : pid_(other.pid_), port_(other.port_) {
  other.pid_ = -1;
}

FakeServerProcess::~FakeServerProcess() { Stop(pid_); }

}  // namespace memberdb
