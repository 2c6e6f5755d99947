#include "tools/player-sim/Options.h"

#include <gtest/gtest.h>

namespace playersim {
namespace {

TEST(OptionsTest, StorageIsRequiredAndDefaultsHold) {
  EXPECT_FALSE(ParseOptions({}));
  const auto o = ParseOptions({"--storage", "/tmp/x"});
  ASSERT_TRUE(o);
  EXPECT_EQ(o->port, 0);
  EXPECT_EQ(o->lifetimeSeconds, 3600u);
  EXPECT_TRUE(o->player.media[1].present);
}

TEST(OptionsTest, PlayerSettings) {
  const auto o = ParseOptions({"--storage", "d", "--port", "5000", "--identifier", "DEADBEEF", "--model", "F010",
                               "--no-card", "--unformatted", "internal", "--internal-bytes", "1000000",
                               "--lifetime", "20", "--block-delay-ms", "15"});
  ASSERT_TRUE(o) << o.error().message;
  EXPECT_EQ(o->port, 5000);
  EXPECT_EQ(o->blockDelayMs, 15u);
  EXPECT_EQ(*o->identifier, 0xDEADBEEFu);
  EXPECT_EQ(o->player.modelHigh, 0xF0);
  EXPECT_EQ(o->player.modelLow, 0x10);
  EXPECT_FALSE(o->player.media[1].present);
  EXPECT_FALSE(o->player.media[0].formatted);
  EXPECT_EQ(o->player.media[0].capacity, 1000000u);
  EXPECT_EQ(o->lifetimeSeconds, 20u);
}

TEST(OptionsTest, PaceIsOffByDefaultAndTakesThePresetOrARate) {
  EXPECT_FALSE(ParseOptions({"--storage", "d"})->player.pace.paced());
  const auto usb = ParseOptions({"--storage", "d", "--pace", "usb11"});
  ASSERT_TRUE(usb) << usb.error().message;
  EXPECT_EQ(usb->player.pace.bytesPerSecond, playerlink::sim::kUsbFullSpeed.bytesPerSecond);
  EXPECT_EQ(usb->player.pace.commandLatency, playerlink::sim::kUsbFullSpeed.commandLatency);
  const auto rate = ParseOptions({"--storage", "d", "--pace", "500000,7"});
  ASSERT_TRUE(rate) << rate.error().message;
  EXPECT_EQ(rate->player.pace.bytesPerSecond, 500000u);
  EXPECT_EQ(rate->player.pace.commandLatency, std::chrono::milliseconds(7));
  EXPECT_EQ(ParseOptions({"--storage", "d", "--pace", "250000"})->player.pace.commandLatency.count(), 0);
  for (const char* bad : {"fast", "1,", ",5", "1000000001", "1000,10001", "-5"}) {
    EXPECT_FALSE(ParseOptions({"--storage", "d", "--pace", bad})) << bad;
  }
  EXPECT_FALSE(ParseOptions({"--storage", "d", "--pace"}));
}

TEST(OptionsTest, Faults) {
  const auto o = ParseOptions({"--storage", "d", "--fault", "open:out", "--fault", "fail:9@card", "--fault",
                               "answer:6=1,30718", "--fault", "short-read:3@2", "--fault", "short-write:1",
                               "--fault", "bad-tag:4", "--fault", "unplug:3@2,5", "--fault", "unplug:1"});
  ASSERT_TRUE(o) << o.error().message;
  const auto& f = o->faults;
  EXPECT_TRUE(f.failOpen[2]);
  ASSERT_EQ(f.commands.size(), 2u);
  EXPECT_TRUE(f.commands[0].failCall);
  EXPECT_EQ(*f.commands[0].base, playerlink::kCardBase);
  EXPECT_EQ(f.commands[1].code, 6);
  EXPECT_EQ(f.commands[1].answer.count, 30718);
  ASSERT_EQ(f.shortBlocks.size(), 2u);
  EXPECT_EQ(*f.shortBlocks[0].afterCode, 2);
  EXPECT_FALSE(f.shortBlocks[1].read);
  EXPECT_EQ(f.badTagAtDirectoryBlock, 4u);
  ASSERT_EQ(f.unplugs.size(), 2u);
  EXPECT_EQ(f.unplugs[0].k, 3u);
  EXPECT_EQ(*f.unplugs[0].afterCode, 2);
  EXPECT_EQ(f.unplugs[0].calls, 5);
  EXPECT_FALSE(f.unplugs[1].afterCode);
  EXPECT_EQ(f.unplugs[1].calls, -1);  // gone for good
}

TEST(OptionsTest, FilesToPutOnThePlayer) {
  const auto o = ParseOptions({"--storage", "d", "--add", "card:C:\\음악\\a=b.mp3=/tmp/x=1.mp3", "--add",
                               "internal:x.mp3=/tmp/y"});
  ASSERT_TRUE(o) << o.error().message;
  ASSERT_EQ(o->seeds.size(), 2u);
  EXPECT_EQ(o->seeds[0].medium, playerlink::sim::MediumId::kCard);
  EXPECT_EQ(o->seeds[0].name, "C:\\음악\\a=b.mp3=/tmp/x");
  EXPECT_EQ(o->seeds[0].source, "1.mp3");
  EXPECT_EQ(o->seeds[1].name, "x.mp3");
  for (const char* bad : {"x.mp3=/tmp/y", "usb:x=/y", "internal:=/y", "internal:x="}) {
    EXPECT_FALSE(ParseOptions({"--storage", "d", "--add", bad})) << bad;
  }
}

TEST(OptionsTest, BadArgumentsSayWhat) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--storage", "d", "--port", "70000"}, {"--storage", "d", "--lifetime", "0"},
        {"--storage", "d", "--fault", "fail:10"}, {"--storage", "d", "--fault", "open:all"},
        {"--storage", "d", "--fault", "bad-tag:1"}, {"--storage", "d", "--fault", "answer:1"},
        {"--storage", "d", "--fault", "unplug:0"}, {"--storage", "d", "--fault", "unplug:2@12"},
        {"--storage", "d", "--fault", "unplug:2,x"},
        {"--storage", "d", "--bogus"}, {"--storage"}}) {
    const auto o = ParseOptions(args);
    EXPECT_FALSE(o);
    if (!o) {
      EXPECT_FALSE(o.error().message.empty());
    }
  }
}

}  // namespace
}  // namespace playersim
