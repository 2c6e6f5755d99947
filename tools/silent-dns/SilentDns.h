// For tests run under with_silent_dns.py: whether the silent name server is
// there, a name that only it could answer, and how many queries it took.
#pragma once

#include <cstdlib>
#include <fstream>
#include <string>

namespace silent_dns {

// True under with_silent_dns.py; tests that need the silent server skip
// without it.
inline bool Active() { return std::getenv("SILENT_DNS_SERVER") != nullptr; }

// A name no file knows: its lookup goes to the name server and waits.
inline constexpr const char* kName = "server.silent-dns.test";

// The queries the silent server has taken so far (-1 when unknown).
inline int Queries() {
  const char* log = std::getenv("SILENT_DNS_LOG");
  if (log == nullptr) return -1;
#ifdef _WIN32
  std::ifstream in(std::string("Z:") + log);  // a Linux path, as a Wine program sees it
#else
  std::ifstream in(log);
#endif
  if (!in) return -1;
  int lines = 0;
  for (std::string line; std::getline(in, line);) ++lines;
  return lines;
}

}  // namespace silent_dns

#define SKIP_WITHOUT_SILENT_DNS()                                                  \
  do {                                                                             \
    if (!::silent_dns::Active()) GTEST_SKIP() << "runs under with_silent_dns.py"; \
  } while (false)
