#include "member-info/FrameChannel.h"

#include <gtest/gtest.h>

#include "member-info/tests/ScriptedConnection.h"

namespace dastrel {
namespace {

using testing::ScriptedConnection;
using namespace std::chrono_literals;

FrameChannel::Clock::time_point Later() { return FrameChannel::Clock::now() + 60s; }

FrameError ErrorOf(const common::Result<std::vector<std::uint8_t>>& r) {
  EXPECT_FALSE(r.ok());
  return r.ok() ? FrameError{} : static_cast<FrameError>(r.error().code);
}

std::string Received(std::vector<std::string> script) {
  ScriptedConnection c(std::move(script));
  FrameChannel channel(c, 1s, Later());
  auto frame = channel.ReceiveFrame();
  EXPECT_TRUE(frame.ok()) << (frame.ok() ? "" : frame.error().message);
  EXPECT_EQ(c.sent, "ACKACK");
  return frame.ok() ? std::string(frame->begin(), frame->end()) : std::string();
}

FrameError ReceiveFails(std::vector<std::string> script) {
  ScriptedConnection c(std::move(script));
  FrameChannel channel(c, 1s, Later());
  return ErrorOf(channel.ReceiveFrame());
}

TEST(ReceiveFrame, ReadsHeaderPayloadAndEndMarkAndAcknowledgesTwice) {
  EXPECT_EQ(Received({"<5>hello\x04"}), "hello");
  EXPECT_EQ(Received({"<", "5", ">", "hel", "lo", "\x04"}), "hello");
  EXPECT_EQ(Received({"noise before the header<2>ok\x04"}), "ok");
}

TEST(ReceiveFrame, RefusesBadLengthTexts) {
  for (const char* header : {"<>", "<1a>", "<0>", "<-5>", "<99999999999999999999>"}) {
    EXPECT_EQ(ReceiveFails({std::string(header) + "x\x04"}), FrameError::kBadLength) << header;
  }
}

TEST(ReceiveFrame, LengthTextHasAtMost119Characters) {
  const std::string payload(455, 'p');
  const std::string digits119 = std::string(116, '0') + "455";
  EXPECT_EQ(Received({"<" + digits119 + ">" + payload + "\x04"}), payload);
  const std::string digits120 = std::string(117, '0') + "455";
  EXPECT_EQ(ReceiveFails({"<" + digits120 + ">" + payload + "\x04"}), FrameError::kBadLength);
}

TEST(ReceiveFrame, BoundsTheNoiseBeforeTheHeader) {
  EXPECT_EQ(Received({std::string(wire::kMaxSkippedBytes, 'n') + "<1>x\x04"}), "x");
  EXPECT_EQ(ReceiveFails({std::string(wire::kMaxSkippedBytes + 1, 'n') + "<1>x\x04"}), FrameError::kNoHeader);
}

TEST(ReceiveFrame, NeedsTheEndMark) {
  EXPECT_EQ(ReceiveFails({"<2>ok\x05"}), FrameError::kBadEndMark);
  EXPECT_EQ(ReceiveFails({"<2>ok"}), FrameError::kClosed);
  EXPECT_EQ(ReceiveFails({"<5>ok"}), FrameError::kClosed) << "payload shorter than announced";
}

TEST(ReceiveFrame, ReadWaitsAndTheExchangeDeadlineBothEndIt) {
  ScriptedConnection silent({"<2>", ScriptedConnection::kSilence}, ScriptedConnection::AtEnd::kTimeout);
  FrameChannel channel(silent, 1s, Later());
  EXPECT_EQ(ErrorOf(channel.ReceiveFrame()), FrameError::kTimeout);

  ScriptedConnection late({"<2>ok\x04"});
  FrameChannel expired(late, 1s, FrameChannel::Clock::now() - 1ms);
  EXPECT_EQ(ErrorOf(expired.ReceiveFrame()), FrameError::kDeadline);
  EXPECT_EQ(expired.receiveCalls(), 0u);
}

TEST(ReceiveFrame, ReadsThroughTheBufferNotBytePerReceive) {
  ScriptedConnection c({"xx<5>hello\x04"});
  FrameChannel channel(c, 1s, Later());
  ASSERT_TRUE(channel.ReceiveFrame().ok());
  EXPECT_EQ(channel.receiveCalls(), 1u);
}

TEST(WaitAck, FindsAckSplitOrAfterNoise) {
  for (std::vector<std::string> script : {std::vector<std::string>{"ACK"}, {"A", "C", "K"}, {"AC", "K"},
                                         {"xyzAACK"}, {"ACAC", "K"}}) {
    ScriptedConnection c(script);
    FrameChannel channel(c, 1s, Later());
    EXPECT_TRUE(channel.WaitAck().ok()) << script.front();
  }
}

TEST(WaitAck, BoundsTheNoiseAndReportsSilence) {
  ScriptedConnection noisy({std::string(wire::kMaxSkippedBytes, 'n') + "ACK"});
  FrameChannel ok(noisy, 1s, Later());
  EXPECT_TRUE(ok.WaitAck().ok());

  ScriptedConnection tooNoisy({std::string(wire::kMaxSkippedBytes + 1, 'n') + "ACK"});
  FrameChannel bad(tooNoisy, 1s, Later());
  EXPECT_EQ(bad.WaitAck().error().code, static_cast<int>(FrameError::kNoAck));

  ScriptedConnection closed({"AC"});
  FrameChannel gone(closed, 1s, Later());
  EXPECT_EQ(gone.WaitAck().error().code, static_cast<int>(FrameError::kClosed));
}

TEST(SendFrame, SendsHeaderThenPayloadAndEndMarkBetweenAcks) {
  ScriptedConnection c({"ACK", "ACK"});
  FrameChannel channel(c, 1s, Later());
  const std::string payload("D\0\0\0\0", 5);
  ASSERT_TRUE(channel.SendFrame({reinterpret_cast<const std::uint8_t*>(payload.data()), 5}).ok());
  EXPECT_EQ(c.sent, std::string("<5>D\0\0\0\0\x04", 9));
}

TEST(SendFrame, FailsWithoutAcksOrWhenSendingFails) {
  const std::uint8_t byte = 'x';
  ScriptedConnection noAck({"ACK"});  // the second ACK never comes
  FrameChannel a(noAck, 1s, Later());
  EXPECT_EQ(a.SendFrame({&byte, 1}).error().code, static_cast<int>(FrameError::kClosed));

  ScriptedConnection refusing({"ACK", "ACK"});
  refusing.FailSends();
  FrameChannel b(refusing, 1s, Later());
  EXPECT_EQ(b.SendFrame({&byte, 1}).error().code, static_cast<int>(FrameError::kSendFailed));

  FrameChannel c(refusing, 1s, Later());
  EXPECT_EQ(c.SendFrame({}).error().code, static_cast<int>(FrameError::kEmptyFrame));
}

}  // namespace
}  // namespace dastrel
