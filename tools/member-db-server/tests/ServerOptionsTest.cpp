#include "tools/member-db-server/ServerOptions.h"

#include <gtest/gtest.h>

namespace memberdb {
namespace {

TEST(ServerOptions, ReadsTheKnobs) {
  auto o = ParseServerOptions({"--data", "d.txt", "--port", "0", "--lifetime", "5", "--end-mark", "0x05",
                               "--reason", "0xFE", "--close-at", "reply-payload", "--reply-hex", "724f00"});
  ASSERT_TRUE(o.ok()) << o.error().message;
  EXPECT_EQ(o->dataFile, "d.txt");
  EXPECT_EQ(o->lifetime, std::chrono::seconds(5));
  EXPECT_EQ(o->endMark, 5);
  EXPECT_EQ(o->reason, -2);
  EXPECT_EQ(o->closeAt, CloseAt::kReplyPayload);
  EXPECT_EQ(o->replyPayload, (std::vector<std::uint8_t>{0x72, 0x4f, 0x00}));
  EXPECT_EQ(ParseServerOptions({"--data", "d", "--end-mark", "none"})->endMark, -1);
}

TEST(ServerOptions, RefusesWhatItCannotUse) {
  for (std::vector<std::string> args : std::vector<std::vector<std::string>>{
           {},
           {"--port", "1"},
           {"--data", "d", "--lifetime", "0"},
           {"--data", "d", "--lifetime", "3601"},
           {"--data", "d", "--port", "65536"},
           {"--data", "d", "--status", "OK"},
           {"--data", "d", "--reply-hex", "7"},
           {"--data", "d", "--close-at", "later"},
           {"--data", "d", "--wat", "1"},
           {"--data"},
       }) {
    EXPECT_FALSE(ParseServerOptions(args).ok()) << (args.empty() ? "" : args.back());
  }
}

}  // namespace
}  // namespace memberdb
