#include "member-info/FrameChannel.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace dastrel {
namespace {

common::Error Fail(FrameError e, std::string message) { return common::Error{static_cast<int>(e), std::move(message)}; }

std::span<const std::uint8_t> Bytes(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

}  // namespace

FrameChannel::FrameChannel(net::Connection& connection, net::Millis readTimeout, Clock::time_point deadline)
    : connection_(connection), readTimeout_(readTimeout), deadline_(deadline) {}

common::Result<net::Millis> FrameChannel::NextWait() const {
  const auto left = std::chrono::duration_cast<net::Millis>(deadline_ - Clock::now());
  if (left.count() <= 0) return Fail(FrameError::kDeadline, "the exchange ran out of time");
  return std::min(left, readTimeout_);
}

common::Result<void> FrameChannel::SendRaw(std::span<const std::uint8_t> bytes) {
  auto wait = NextWait();
  if (!wait) return wait.error();
  if (auto sent = connection_.SendAll(bytes, *wait); !sent) {
    return Fail(FrameError::kSendFailed, sent.error().message);
  }
  return common::Ok();
}

common::Result<void> FrameChannel::SendAck() { return SendRaw(Bytes(wire::kAck)); }

void FrameChannel::DropBuffered() {
  position_ = 0;
  count_ = 0;
}

common::Result<void> FrameChannel::Fill() {
  if (count_ > 0) return common::Ok();
  auto wait = NextWait();
  if (!wait) return wait.error();
  ++receiveCalls_;
  auto n = connection_.Receive(buffer_, *wait);
  if (!n) {
    if (n.error().code == static_cast<int>(net::NetError::kTimeout)) {
      const bool deadline = Clock::now() >= deadline_;
      return Fail(deadline ? FrameError::kDeadline : FrameError::kTimeout,
                  deadline ? "the exchange ran out of time" : "no data within the read time-out");
    }
    return Fail(FrameError::kReceiveFailed, n.error().message);
  }
  if (*n == 0) return Fail(FrameError::kClosed, "the peer closed the connection");
  position_ = 0;
  count_ = *n;
  return common::Ok();
}

common::Result<std::uint8_t> FrameChannel::ReadByte() {
  if (auto filled = Fill(); !filled) return filled.error();
  --count_;
  return buffer_[position_++];
}

common::Result<void> FrameChannel::ReadExactly(std::span<std::uint8_t> out) {
  std::size_t done = 0;
  while (done < out.size()) {
    if (auto filled = Fill(); !filled) return filled.error();
    const std::size_t n = std::min(count_, out.size() - done);
    std::memcpy(out.data() + done, buffer_.data() + position_, n);
    position_ += n;
    count_ -= n;
    done += n;
  }
  return common::Ok();
}

common::Result<void> FrameChannel::WaitAck() {
  // A window over the last three bytes; whatever comes before "ACK" is
  // passed over, up to the noise allowance.
  char window[3] = {' ', ' ', ' '};
  for (std::size_t read = 0; read < wire::kMaxSkippedBytes + wire::kAck.size(); ++read) {
    auto byte = ReadByte();
    if (!byte) return byte.error();
    window[0] = window[1];
    window[1] = window[2];
    window[2] = static_cast<char>(*byte);
    if (std::string_view(window, 3) == wire::kAck) return common::Ok();
  }
  return Fail(FrameError::kNoAck, "no \"ACK\" within " + std::to_string(wire::kMaxSkippedBytes) + " bytes");
}

common::Result<void> FrameChannel::SendFrame(std::span<const std::uint8_t> payload) {
  if (payload.empty()) return Fail(FrameError::kEmptyFrame, "a frame carries at least one byte");
  DropBuffered();
  if (auto r = SendRaw(Bytes(wire::EncodeFrameHeader(payload.size()))); !r) return r;
  if (auto r = WaitAck(); !r) return r;
  for (std::size_t at = 0; at < payload.size(); at += wire::kBufferSize) {
    if (auto r = SendRaw(payload.subspan(at, std::min(wire::kBufferSize, payload.size() - at))); !r) return r;
  }
  const std::uint8_t end = wire::kEndMark;
  if (auto r = SendRaw({&end, 1}); !r) return r;
  return WaitAck();
}

common::Result<std::vector<std::uint8_t>> FrameChannel::ReceiveFrame(std::size_t maxLength) {
  for (std::size_t skipped = 0;; ++skipped) {
    if (skipped > wire::kMaxSkippedBytes) {
      return Fail(FrameError::kNoHeader, "no \"<\" within " + std::to_string(wire::kMaxSkippedBytes) + " bytes");
    }
    auto byte = ReadByte();
    if (!byte) return byte.error();
    if (*byte == static_cast<std::uint8_t>(wire::kHeaderOpen)) break;
  }
  std::string text;
  for (;;) {
    auto byte = ReadByte();
    if (!byte) return byte.error();
    if (*byte == static_cast<std::uint8_t>(wire::kHeaderClose)) break;
    text.push_back(static_cast<char>(*byte));
    if (text.size() > wire::kMaxLengthText) {
      return Fail(FrameError::kBadLength, "the frame length runs past " + std::to_string(wire::kMaxLengthText) + " characters");
    }
  }
  auto length = wire::ParseLengthText(text, maxLength);
  if (!length) return Fail(FrameError::kBadLength, length.error().message);

  std::vector<std::uint8_t> payload(*length);
  if (auto r = SendAck(); !r) return r.error();
  if (auto r = ReadExactly(payload); !r) return r.error();
  auto end = ReadByte();
  if (!end) return end.error();
  if (*end != wire::kEndMark) return Fail(FrameError::kBadEndMark, "the frame does not end with the end mark");
  if (auto r = SendAck(); !r) return r.error();
  return payload;
}

}  // namespace dastrel
