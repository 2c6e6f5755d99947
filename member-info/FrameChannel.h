// The framing of the member database protocol over one connection: frames
// out and in, and the "ACK" handshakes between them (MemberWire.h has the
// layout). Reads go through an 8192-byte buffer, so the byte-wise header and
// "ACK" scanning costs one socket receive per buffer fill.
//
// Everything the peer controls is bounded: each read waits at most the read
// time-out, the whole exchange ends at its deadline, at most
// wire::kMaxSkippedBytes of noise are passed over before "<" or "ACK", and a
// frame's announced length is capped before anything is allocated.
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "common/Result.h"
#include "member-info/MemberWire.h"
#include "platform/net/Socket.h"

namespace dastrel {

namespace net = ::platform::net;

// Error.code of a failed frame operation.
enum class FrameError {
  kSendFailed = 1,  // a send failed or moved no byte
  kTimeout,         // a read waited its whole time-out
  kDeadline,        // the exchange ran past its deadline
  kClosed,          // the peer closed the connection
  kReceiveFailed,   // the platform's receive failed
  kNoAck,           // no "ACK" within the noise allowance
  kNoHeader,        // no "<" within the noise allowance
  kBadLength,       // the length text is empty, not digits, zero, too long or too large
  kBadEndMark,      // the byte after the payload is not the end mark
  kEmptyFrame,      // a frame to send has no payload
};

class FrameChannel {
 public:
  using Clock = std::chrono::steady_clock;

  FrameChannel(net::Connection& connection, net::Millis readTimeout, Clock::time_point deadline);

  // Header, wait for "ACK", payload and end mark, wait for "ACK". Bytes left
  // in the receive buffer from before are dropped first.
  common::Result<void> SendFrame(std::span<const std::uint8_t> payload);
  // Skips noise up to "<", reads the length, "ACK", the payload, the end
  // mark, "ACK". A length above `maxLength` fails before any allocation.
  common::Result<std::vector<std::uint8_t>> ReceiveFrame(std::size_t maxLength = wire::kMaxFrameLength);

  common::Result<void> WaitAck();
  common::Result<void> SendAck();
  common::Result<void> SendRaw(std::span<const std::uint8_t> bytes);
  void DropBuffered();

  // Socket receives made so far.
  std::size_t receiveCalls() const { return receiveCalls_; }

 private:
  common::Result<std::uint8_t> ReadByte();
  common::Result<void> ReadExactly(std::span<std::uint8_t> out);
  common::Result<void> Fill();
  common::Result<net::Millis> NextWait() const;

  net::Connection& connection_;
  net::Millis readTimeout_;
  Clock::time_point deadline_;
  std::array<std::uint8_t, wire::kBufferSize> buffer_{};
  std::size_t position_ = 0;
  std::size_t count_ = 0;
  std::size_t receiveCalls_ = 0;
};

}  // namespace dastrel
