// A connection whose incoming bytes come from a script, one chunk per
// receive, and whose outgoing bytes are kept for the test to look at.
#pragma once

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

#include "platform/net/Socket.h"

namespace dastrel::testing {

class ScriptedConnection final : public net::Connection {
 public:
  enum class AtEnd { kClosed, kTimeout };

  explicit ScriptedConnection(std::vector<std::string> chunks, AtEnd atEnd = AtEnd::kClosed)
      : chunks_(chunks.begin(), chunks.end()), atEnd_(atEnd) {}

  // A chunk that is this text stands for a read that times out.
  static constexpr const char* kSilence = "\x01<silence>";

  common::Result<void> SendAll(std::span<const std::uint8_t> bytes, net::Millis) override {
    if (failSends_) return common::Error{static_cast<int>(net::NetError::kFailed), "send refused"};
    sent.append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return common::Ok();
  }

  common::Result<std::size_t> Receive(std::span<std::uint8_t> buffer, net::Millis) override {
    if (chunks_.empty()) {
      if (atEnd_ == AtEnd::kClosed) return std::size_t{0};
      return common::Error{static_cast<int>(net::NetError::kTimeout), "silence"};
    }
    std::string& chunk = chunks_.front();
    if (chunk == kSilence) {
      chunks_.pop_front();
      return common::Error{static_cast<int>(net::NetError::kTimeout), "silence"};
    }
    const std::size_t n = std::min(buffer.size(), chunk.size());
    std::copy_n(chunk.begin(), n, buffer.begin());
    chunk.erase(0, n);
    if (chunk.empty()) chunks_.pop_front();
    return n;
  }

  void Shutdown() override {}

  void FailSends() { failSends_ = true; }

  std::string sent;

 private:
  std::deque<std::string> chunks_;
  AtEnd atEnd_;
  bool failSends_ = false;
};

}  // namespace dastrel::testing
