// The fake channel service for a test program: natively the program starts
// it itself (once, for all its tests); under Wine with_fake_service.py has
// started the native one and passes its port in FAKE_SERVICE_PORT.
#pragma once

#include <cstdlib>
#include <memory>
#include <string>

#include "common/Result.h"
#ifndef _WIN32
#include "tools/fake-service/ServiceProcess.h"
#endif

namespace fake_service {

// The port of the running fake service (2 s stall), or an error. Natively
// it serves `data` (by default the demo data); under Wine the data is the
// one with_fake_service.py was given.
#ifdef _WIN32
inline common::Result<int> FakeServicePort([[maybe_unused]] const char* data = nullptr) {
  const char* port = std::getenv("FAKE_SERVICE_PORT");
  if (port == nullptr || std::atoi(port) <= 0) return common::Error{0, "FAKE_SERVICE_PORT is not set"};
  return std::atoi(port);
}
#else
inline common::Result<int> FakeServicePort(const char* data = FAKE_SERVICE_DATA) {
  static std::unique_ptr<ServiceProcess> service;
  if (!service) {
    auto started =
        ServiceProcess::Start({FAKE_SERVICE_PATH, "--data", data, "--lifetime", "300", "--stall-seconds", "2"});
    if (!started) return started.error();
    service = std::make_unique<ServiceProcess>(std::move(*started));
  }
  return service->port();
}
#endif

}  // namespace fake_service
