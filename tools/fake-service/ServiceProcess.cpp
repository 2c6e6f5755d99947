#include "tools/fake-service/ServiceProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <utility>

namespace fake_service {

ServiceProcess::ServiceProcess(ServiceProcess&& other) noexcept
    : pid_(std::exchange(other.pid_, -1)), port_(other.port_), output_(std::exchange(other.output_, -1)) {}

ServiceProcess& ServiceProcess::operator=(ServiceProcess&& other) noexcept {
  if (this != &other) {
    Stop();
    pid_ = std::exchange(other.pid_, -1);
    port_ = other.port_;
    output_ = std::exchange(other.output_, -1);
  }
  return *this;
}

ServiceProcess::~ServiceProcess() { Stop(); }

void ServiceProcess::Stop() {
  if (output_ >= 0) close(std::exchange(output_, -1));
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  int status = 0;
  waitpid(pid_, &status, 0);
  pid_ = -1;
}

common::Result<ServiceProcess> ServiceProcess::Start(const std::vector<std::string>& argv,
                                                     std::chrono::milliseconds wait) {
  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) return common::Error{errno, "pipe failed"};
  const pid_t pid = fork();
  if (pid < 0) return common::Error{errno, "fork failed"};
  if (pid == 0) {
    dup2(out[1], STDOUT_FILENO);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  close(out[1]);
  ServiceProcess process;
  process.pid_ = pid;
  process.output_ = out[0];  // kept open, so later output of the child finds a reader

  std::string line;
  const auto deadline = std::chrono::steady_clock::now() + wait;
  while (line.find('\n') == std::string::npos) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd p{out[0], POLLIN, 0};
    if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
    char buffer[64];
    const ssize_t n = read(out[0], buffer, sizeof buffer);
    if (n <= 0) break;
    line.append(buffer, static_cast<std::size_t>(n));
  }
  // "port N" (fake-service) or "PORT N" (member-db-server).
  const bool named = line.size() > 5 && (line.rfind("port ", 0) == 0 || line.rfind("PORT ", 0) == 0);
  if (!named || (process.port_ = std::atoi(line.c_str() + 5)) <= 0) {
    return common::Error{0, argv[0] + " did not report its port"};
  }
  return process;
}

}  // namespace fake_service
