// Starts one of the native test servers (fake-service, member-db-server) as a
// child process for a test, reads the "port N" line it prints once it
// listens, and stops it again when the handle goes. POSIX only.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "common/Result.h"

namespace fake_service {

class ServiceProcess {
 public:
  ServiceProcess() = default;
  ServiceProcess(ServiceProcess&& other) noexcept;
  ServiceProcess& operator=(ServiceProcess&& other) noexcept;
  ~ServiceProcess();

  // argv[0] is the program's path. Fails when the program does not print
  // its port within `wait`.
  static common::Result<ServiceProcess> Start(const std::vector<std::string>& argv,
                                              std::chrono::milliseconds wait = std::chrono::seconds(10));
  int port() const { return port_; }
  void Stop();

 private:
  int pid_ = -1;
  int port_ = 0;
  int output_ = -1;
};

}  // namespace fake_service
