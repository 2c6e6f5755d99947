// Starts member-db-server as a child process for a test and stops it again
// (Linux only). The server reports its port on stdout; Start waits for that
// line at most 10 s. The server also ends by itself after its lifetime
// (--lifetime, 60 s unless the arguments say otherwise).
//
//   auto server = memberdb::FakeServerProcess::Start({"--data", memberdb::SampleDataPath()});
//   ... connect to 127.0.0.1:server->port() ...
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/Result.h"

namespace memberdb {

// The built server and the sample data file of the source tree.
std::string ServerProgramPath();
std::string SampleDataPath();

class FakeServerProcess {
 public:
  static common::Result<FakeServerProcess> Start(const std::vector<std::string>& args);

  FakeServerProcess(FakeServerProcess&& other) noexcept;
  FakeServerProcess& operator=(FakeServerProcess&&) = delete;
  FakeServerProcess(const FakeServerProcess&) = delete;
  ~FakeServerProcess();  // SIGTERM, then waits for the process

  std::uint16_t port() const { return port_; }

 private:
  FakeServerProcess(pid_t pid, std::uint16_t port) : pid_(pid), port_(port) {}
  pid_t pid_ = -1;
  std::uint16_t port_ = 0;
};

}  // namespace memberdb
