#include "player-link/BridgeFrame.h"

#include <gtest/gtest.h>

namespace playerlink::bridge {
namespace {

TEST(BridgeFrameTest, RequestsRoundTripAndBadOnesAreRefused) {
  const RequestHeader control{Op::kControl, Device::kControl, 8, 7};
  const auto bytes = EncodeRequestHeader(control);
  const auto back = DecodeRequestHeader(bytes);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->op, Op::kControl);
  EXPECT_EQ(back->parameter, 8);
  EXPECT_EQ(back->length, 7u);

  const RequestHeader bad[] = {
      {Op::kControl, Device::kInPipe, 7, 7},                       // wrong device
      {Op::kControl, Device::kControl, 9, 7},                      // answer too big
      {Op::kWrite, Device::kOutPipe, 0, kMaxPayload + 1},          // oversized block
      {Op::kWrite, Device::kInPipe, 0, 16},                        // writes go out
      {Op::kRead, Device::kInPipe, 0, 0},                          // nothing wanted
      {Op::kOpen, Device::kControl, 0, 4},                         // payload on open
  };
  for (const auto& h : bad) EXPECT_FALSE(DecodeRequestHeader(EncodeRequestHeader(h)));
  auto unknown = bytes;
  unknown[request::kOp] = 9;
  EXPECT_FALSE(DecodeRequestHeader(unknown));
  unknown = bytes;
  unknown[request::kDevice] = 3;
  EXPECT_FALSE(DecodeRequestHeader(unknown));
  EXPECT_FALSE(DecodeRequestHeader(std::span(bytes).first(7)));
}

TEST(BridgeFrameTest, RepliesAreHeldToTheRequest) {
  const auto read = EncodeReplyHeader({true, 100, 100});
  ASSERT_TRUE(DecodeReplyHeader(read, Op::kRead, kBlockSize));
  EXPECT_FALSE(DecodeReplyHeader(read, Op::kRead, 99));          // more than asked
  EXPECT_FALSE(DecodeReplyHeader(EncodeReplyHeader({true, 100, 50}), Op::kRead, kBlockSize));
  EXPECT_FALSE(DecodeReplyHeader(EncodeReplyHeader({true, 0, 4}), Op::kOpen, 0));
  EXPECT_FALSE(DecodeReplyHeader(EncodeReplyHeader({false, 3, 0}), Op::kWrite, kBlockSize));
  const auto failed = DecodeReplyHeader(EncodeReplyHeader({false, 0, 0}), Op::kControl, 8);
  ASSERT_TRUE(failed);
  EXPECT_FALSE(failed->ok);
  auto junk = read;
  junk[reply::kStatus] = 2;
  EXPECT_FALSE(DecodeReplyHeader(junk, Op::kRead, kBlockSize));
}

TEST(BridgeFrameTest, Addresses) {
  const auto a = ParseAddress("127.0.0.1:4567");
  ASSERT_TRUE(a);
  EXPECT_EQ(a->ipv4, 0x7F000001u);
  EXPECT_EQ(a->port, 4567);
  EXPECT_EQ(ParseAddress("localhost:1")->ipv4, 0x7F000001u);
  for (const char* bad : {"", "127.0.0.1", "127.0.0.1:", "127.0.0.1:0", "127.0.0.1:65536", "1.2.3:4",
                          "1.2.3.4.5:6", "256.0.0.1:5", "a.b.c.d:5", "127.0.0.01x:5", "127.0.0.1:5x"}) {
    EXPECT_FALSE(ParseAddress(bad)) << bad;
  }
}

}  // namespace
}  // namespace playerlink::bridge
