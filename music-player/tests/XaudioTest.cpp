#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "music-player/PlaybackControl.h"
#include "music-player/tests/EngineTestSupport.h"
#include "music-player/xaudio/Decoder.h"
#include "music-player/xaudio/Xaudio.h"

using namespace xaudio;
using namespace xaudio_test;

namespace {

constexpr std::uint64_t kToneFrames = 3 * 44100;

class EngineTest : public ::testing::Test {
 protected:
  // A counting sink that takes samples `speed` times faster than real time
  // (0: as fast as they come); the engine's clock off unless `realTime`.
  void Start(double speed, std::string wav = {}, bool realTime = false) {
    counters_ = std::make_shared<NullOutputCounters>();
    PlayerOptions options;
    options.realTime = realTime;
    auto counters = counters_;
    options.makeOutput = [=] { return CreateNullOutput(NullOutputOptions{speed, wav}, counters); };
    NotifyWindowHandle handle = &window_;
    ASSERT_EQ(player_new_with_options(&player_, &handle, options), 0);
    ASSERT_GE(window_.WaitFor([](const Posted& p) { return p.code == kNotifyReady; }), 0);
    control_message_send(player_, kCmdSetNotifications, 1);
  }
  void Open(const std::string& path) { control_message_send(player_, kCmdInputOpen, path.c_str()); }
  void TearDown() override {
    if (player_) player_delete(player_);
  }
  int LastPositionMs(std::size_t from = 0) {
    int ms = -1;
    auto all = window_.Snapshot();
    for (std::size_t i = from; i < all.size(); ++i)
      if (all[i].code == kNotifyPosition) ms = static_cast<int>(all[i].a);
    return ms;
  }
  int WaitFailure(int command, std::size_t from = 0) {
    const int i = window_.WaitFor([&](const Posted& p) { return p.code == kNotifyCommandFailed && (p.a & 0xFF) == static_cast<std::uint32_t>(command); }, from);
    return i < 0 ? 1 : static_cast<std::int16_t>(window_.Snapshot()[static_cast<std::size_t>(i)].a >> 16);
  }

  QueueWindow window_;
  PlayerHandle player_ = nullptr;
  std::shared_ptr<NullOutputCounters> counters_;
};

TEST_F(EngineTest, PlaysAFileToItsEndWithNotificationsInOrder) {
  Start(0);
  Open(TestFile("tone3s.mp3"));
  control_message_send(player_, kCmdPlay);
  ASSERT_GE(window_.WaitState(kStateEof), 0);
  const auto all = window_.Snapshot();
  std::vector<std::uint32_t> order;
  for (const auto& p : all)
    if (p.code != kNotifyPosition && p.code != kNotifyTimeCode) order.push_back(p.code);
  EXPECT_EQ(order, (std::vector<std::uint32_t>{kNotifyReady, kNotifyStream, kNotifyInputState, kNotifyPlayerState, kNotifyPlayerState}));
  for (const auto& p : all)
    if (p.code == kNotifyStream) {
      EXPECT_EQ(p.a & 0xFF, 1u);           // MPEG 1
      EXPECT_EQ((p.a >> 8) & 0xFF, 3u);    // layer III
      EXPECT_EQ(p.a >> 16, 128u);          // kbit/s
      EXPECT_EQ(p.b, 44100u);
    }
  // Gapless: exactly the frames that were encoded, both channels.
  EXPECT_EQ(counters_->samples.load(), kToneFrames * 2);
  // Positions rise to the length; time codes count the seconds.
  int last = -1, seconds = -1;
  for (const auto& p : all) {
    if (p.code == kNotifyPosition) {
      EXPECT_GE(static_cast<int>(p.a), last);
      last = static_cast<int>(p.a);
      EXPECT_EQ(p.b, 3000u);
    }
    if (p.code == kNotifyTimeCode) seconds = static_cast<int>((p.a >> 16) & 0xFF);
  }
  EXPECT_EQ(last, 3000);
  EXPECT_EQ(seconds, 3);
}

TEST_F(EngineTest, MpegTwoMonoReportsItsStream) {
  Start(0);
  Open(TestFile("mono22k.mp3"));
  control_message_send(player_, kCmdPlay);
  ASSERT_GE(window_.WaitState(kStateEof), 0);
  for (const auto& p : window_.Snapshot())
    if (p.code == kNotifyStream) {
      EXPECT_EQ(p.a & 0xFF, 2u);
      EXPECT_EQ(p.b, 22050u);
    }
  EXPECT_EQ(counters_->channels.load(), 1);
  EXPECT_EQ(counters_->samples.load(), 2u * 22050);
}

// Whatever pace the device takes samples at, playback follows the clock:
// a device four times too fast (a null sound device) still takes the 2 s
// file's time, and a device at half speed is not held back any further.
TEST_F(EngineTest, PlaybackKeepsTimeWithDevicesFasterAndSlowerThanRealTime) {
  using namespace std::chrono;
  auto play = [&](double speed) {
    const std::size_t mark = window_.Count();
    Start(speed, {}, true);
    const auto start = steady_clock::now();
    Open(TestFile("mono22k.mp3"));
    control_message_send(player_, kCmdPlay);
    EXPECT_GE(window_.WaitState(kStateEof, mark, 20000), 0);
    const double seconds = duration<double>(steady_clock::now() - start).count();
    // The position shown never runs ahead of the clock by more than the queue.
    for (const auto& p : window_.Snapshot())
      if (p.code == kNotifyPosition) EXPECT_LE(p.a, (seconds + kOutputQueueSeconds) * 1000 + 50);
    player_delete(player_);
    player_ = nullptr;
    return seconds;
  };
  EXPECT_GE(play(4), 2.0 - kOutputQueueSeconds);
  const double slow = play(0.5);
  EXPECT_GE(slow, 4.0 - 0.1);  // the device's own 4 s
  EXPECT_LT(slow, 4.0 + 1.5) << "the clock's 2 s came on top of the device's time";
}

TEST_F(EngineTest, PauseHoldsTheOutputAndStopRewinds) {
  Start(10);  // ten times real time: 3 s of audio in 0.3 s
  Open(TestFile("tone3s.mp3"));
  control_message_send(player_, kCmdPlay);
  ASSERT_GE(window_.WaitFor([](const Posted& p) { return p.code == kNotifyPosition && p.a >= 500; }), 0);
  const std::size_t mark = window_.Count();
  control_message_send(player_, kCmdPause);
  ASSERT_GE(window_.WaitState(kStatePaused, mark), 0);
  const auto held = counters_->samples.load();
  std::this_thread::sleep_for(std::chrono::milliseconds(80));
  EXPECT_EQ(counters_->samples.load(), held);
  const std::size_t resumed = window_.Count();
  control_message_send(player_, kCmdPlay);
  ASSERT_GE(window_.WaitState(kStatePlaying, resumed), 0);
  ASSERT_GE(window_.WaitFor([&](const Posted& p) { return p.code == kNotifyPosition; }, resumed + 1), 0);
  const std::size_t stopped = window_.Count();
  control_message_send(player_, kCmdStop);
  ASSERT_GE(window_.WaitState(kStateStopped, stopped), 0);
  ASSERT_GE(window_.WaitFor([](const Posted& p) { return p.code == kNotifyPosition && p.a == 0; }, stopped), 0);
  EXPECT_LT(counters_->samples.load(), kToneFrames * 2);
  // Pause and stop while stopped change nothing.
  const std::size_t idle = window_.Count();
  control_message_send(player_, kCmdPause);
  control_message_send(player_, kCmdStop);
  control_message_send(player_, kCmdInputClose);
  ASSERT_GE(window_.WaitFor([](const Posted& p) { return p.code == kNotifyInputState && p.a == 1; }, idle), 0);
  auto after = window_.Snapshot();
  for (std::size_t i = idle; i < after.size(); ++i) EXPECT_NE(after[i].code, static_cast<std::uint32_t>(kNotifyPlayerState));
}

TEST_F(EngineTest, SeeksInSixtyFourBitsAndRefusesBadRanges) {
  Start(0);
  control_message_send(player_, kCmdSeek, 1, 2);
  EXPECT_EQ(WaitFailure(kCmdSeek), kXaNoInput);
  Open(TestFile("tone3s.mp3"));
  ASSERT_GE(window_.WaitFor([](const Posted& p) { return p.code == kNotifyInputState && p.a == 0; }), 0);
  std::size_t mark = window_.Count();
  control_message_send(player_, kCmdSeek, 1, 2);
  ASSERT_GE(window_.WaitFor([](const Posted& p) { return p.code == kNotifyPosition && p.a > 0; }, mark), 0);
  EXPECT_NEAR(LastPositionMs(mark), 1500, 30);
  // A range near the 32-bit limit would overflow 32-bit arithmetic.
  mark = window_.Count();
  control_message_send(player_, kCmdSeek, 0x7FFFFFF0, 0x7FFFFFFF);
  ASSERT_GE(window_.WaitFor([](const Posted& p) { return p.code == kNotifyPosition; }, mark), 0);
  EXPECT_NEAR(LastPositionMs(mark), 3000, 30);
  mark = window_.Count();
  control_message_send(player_, kCmdSeek, 1, 0);
  EXPECT_EQ(WaitFailure(kCmdSeek, mark), kXaInvalidParameters);
  mark = window_.Count();
  control_message_send(player_, kCmdSeek, 5, 2);
  EXPECT_EQ(WaitFailure(kCmdSeek, mark), kXaInvalidParameters);
}

// The band table the player builds: a knob above the middle of its track
// boosts its bands, below cuts them, in the middle leaves them flat.
TEST_F(EngineTest, EqualizerKnobUpBoostsDownCutsAndOnlyItsBands) {
  const std::string wav = ::testing::TempDir() + "vantu-eq.wav";
  auto render = [&](const unsigned char* table) {
    const std::size_t mark = window_.Count();
    Start(0, wav);
    control_message_send(player_, kCmdEqualizer, table);
    Open(TestFile("tone3s.mp3"));
    control_message_send(player_, kCmdPlay);
    EXPECT_GE(window_.WaitState(kStateEof, mark), 0);
    player_delete(player_);  // closes the output, which writes the file
    player_ = nullptr;
    auto samples = ReadWavSamples(wav);
    std::filesystem::remove(wav);
    return samples;
  };
  // Slider 450 feeds band 0, which holds 440 Hz; the knob's stored value
  // is its offset in pixels from the middle, negative above it.
  auto withKnob = [&](std::int32_t stored) {
    vantu::PlayerSettings settings;
    settings.SetEqualizer(0, stored);
    const auto table = vantu::BuildBandTable(settings);
    return render(table.data());
  };
  const auto flat = render(nullptr);
  ASSERT_EQ(flat.size(), kToneFrames * 2);
  const double low = ToneEnergy(flat, 2, 44100, 440), high = ToneEnergy(flat, 2, 44100, 5000);
  const auto up = withKnob(-20), down = withKnob(20), middle = withKnob(0);
  ASSERT_EQ(up.size(), flat.size());
  EXPECT_GT(ToneEnergy(up, 2, 44100, 440) / low, 5.0);     // +9.4 dB is 8.7 in energy
  EXPECT_LT(ToneEnergy(down, 2, 44100, 440) / low, 0.2);   // -9.4 dB is 0.11
  EXPECT_NEAR(ToneEnergy(middle, 2, 44100, 440) / low, 1.0, 0.05);
  // (the boosted tone clips the loud test signal, so only these two)
  for (const auto* other : {&down, &middle}) EXPECT_NEAR(ToneEnergy(*other, 2, 44100, 5000) / high, 1.0, 0.1);
}

TEST_F(EngineTest, OutputLevelsScaleTheChannelsAndAreClamped) {
  const std::string wav = ::testing::TempDir() + "vantu-levels.wav";
  Start(0, wav);
  control_message_send(player_, kCmdOutputLevel, 250, 0, 255);  // volume clamps to 100, right channel off
  Open(TestFile("tone3s.mp3"));
  control_message_send(player_, kCmdPlay);
  ASSERT_GE(window_.WaitState(kStateEof), 0);
  player_delete(player_);
  player_ = nullptr;
  const auto pcm = ReadWavSamples(wav);
  ASSERT_EQ(pcm.size(), kToneFrames * 2);
  int leftPeak = 0, rightPeak = 0;
  for (std::size_t i = 0; i < pcm.size(); i += 2) {
    leftPeak = std::max(leftPeak, std::abs(int{pcm[i]}));
    rightPeak = std::max(rightPeak, std::abs(int{pcm[i + 1]}));
  }
  EXPECT_GT(leftPeak, 20000);
  EXPECT_EQ(rightPeak, 0);
  std::filesystem::remove(wav);
}

TEST_F(EngineTest, DamagedInputsFailOrEndCleanly) {
  auto bytes = common::ReadWholeFile(common::PathFromAnsi(TestFile("tone3s.mp3")), 1u << 24);
  ASSERT_TRUE(bytes.ok());
  const std::string dir = ::testing::TempDir();
  auto write = [&](const std::string& name, const std::string& data) {
    const std::string path = dir + name;
    EXPECT_TRUE(common::WriteFileAtomically(common::PathFromAnsi(path),
                                            {reinterpret_cast<const std::uint8_t*>(data.data()), data.size()}).ok());
    return path;
  };
  const std::string truncated = write("vantu-truncated.mp3", bytes->substr(0, bytes->size() / 2));
  std::string middle = *bytes;
  for (std::size_t i = middle.size() / 3; i < middle.size() / 3 + 3000; ++i) middle[i] = static_cast<char>(i * 37);
  const std::string damaged = write("vantu-damaged.mp3", middle);
  std::string noise(20000, '\0');
  for (std::size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>((i * 2654435761u) >> 13);
  const std::string garbage = write("vantu-garbage.mp3", noise);

  Start(0);
  std::size_t mark = window_.Count();
  Open(dir + "vantu-missing.mp3");
  EXPECT_EQ(WaitFailure(kCmdInputOpen, mark), kXaOpenFailed);
  mark = window_.Count();
  Open(garbage);
  EXPECT_EQ(WaitFailure(kCmdInputOpen, mark), kXaNotMpegAudio);
  mark = window_.Count();
  control_message_send(player_, kCmdPlay);
  EXPECT_EQ(WaitFailure(kCmdPlay, mark), kXaNoInput);

  for (const auto& path : {truncated, damaged}) {
    const auto before = counters_->samples.load();
    mark = window_.Count();
    Open(path);
    control_message_send(player_, kCmdPlay);
    ASSERT_GE(window_.WaitState(kStateEof, mark), 0) << path;
    const auto played = counters_->samples.load() - before;
    EXPECT_GT(played, 0u) << path;
    EXPECT_LE(played, kToneFrames * 2 + 2304) << path;
  }
  EXPECT_LT(counters_->samples.load(), 2 * kToneFrames * 2);
  for (const auto& p : {truncated, damaged, garbage}) std::filesystem::remove(p);
}

TEST_F(EngineTest, DeleteWhilePlayingStopsEverything) {
  Start(1);
  Open(TestFile("tone3s.mp3"));
  control_message_send(player_, kCmdPlay);
  ASSERT_GE(window_.WaitState(kStatePlaying), 0);
  player_delete(player_);
  player_ = nullptr;
  const std::size_t after = window_.Count();
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(window_.Count(), after);
}

TEST(XaudioApi, MessagesAndErrors) {
  EXPECT_EQ((xaudio_get_api_version(2) >> 16) & 0xFF, 3u);
  EXPECT_EQ((xaudio_get_api_version(2) >> 8) & 0xFF, 2u);
  QueueWindow window;
  NotifyWindowHandle handle = &window;
  PlayerHandle player = nullptr;
  ASSERT_EQ(player_new(&player, &handle), 0);
  NotificationRecord r;
  EXPECT_NE(control_win32_params_to_message(player, &r, 0x8FFF, 0, 0), 0);
  EXPECT_NE(control_win32_params_to_message(player, &r, kXaMessageBase + kXaMessageCodes, 0, 0), 0);
  ASSERT_EQ(control_win32_params_to_message(player, &r, kXaMessageBase + 76, 0x01020304, -1), 0);
  EXPECT_EQ(r.code, 76u);
  EXPECT_EQ(common::LoadLE32(r.params), 0x01020304u);
  EXPECT_EQ(common::LoadLE32(r.params + 4), 0xFFFFFFFFu);
  EXPECT_STREQ(xaudio_error_string(kXaNotSeekable), "input cannot be sought");
  EXPECT_STREQ(xaudio_error_string(-1234), "unknown error");
  control_message_send(player, 99);
  EXPECT_GE(window.WaitFor([](const Posted& p) { return p.code == kNotifyCommandFailed && (p.a & 0xFF) == 99; }), 0);
  EXPECT_EQ(player_delete(player), 0);
  NotifyWindowHandle none = nullptr;
  EXPECT_NE(player_new(&player, &none), 0);
}

TEST(Decoder, EachInputKeepsItsOwnRateAndChannels) {
  Decoder decoder;
  ASSERT_EQ(decoder.OpenFile(common::PathFromAnsi(TestFile("tone3s.mp3"))), kXaSuccess);
  EXPECT_EQ(decoder.Info().sampleRate, 44100);
  EXPECT_EQ(decoder.Info().channels, 2);
  ASSERT_EQ(decoder.OpenFile(common::PathFromAnsi(TestFile("mono22k.mp3"))), kXaSuccess);
  EXPECT_EQ(decoder.Info().sampleRate, 22050);
  EXPECT_EQ(decoder.Info().channels, 1);
  ASSERT_EQ(decoder.OpenFile(common::PathFromAnsi(TestFile("tone3s.mp3"))), kXaSuccess);
  EXPECT_EQ(decoder.Info().sampleRate, 44100);
}

TEST(TimeCode, MinutesCountPastTheHourAndHoldAtTheLargest) {
  struct Shown {
    unsigned hours, minutes, seconds, hundredths;
    bool operator==(const Shown&) const = default;
  };
  auto at = [](std::int64_t ms) {
    const std::uint32_t c = TimeCodeAt(ms);
    return Shown{c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF, c >> 24};
  };
  EXPECT_EQ(at(0), (Shown{0, 0, 0, 0}));
  EXPECT_EQ(at(-1), (Shown{0, 0, 0, 0}));
  EXPECT_EQ(at(125'347), (Shown{0, 2, 5, 34}));
  EXPECT_EQ(at(3'599'999), (Shown{0, 59, 59, 99}));
  EXPECT_EQ(at(3'600'000), (Shown{1, 60, 0, 0}));
  EXPECT_EQ(at((65 * 60 + 7) * 1000), (Shown{1, 65, 7, 0}));
  EXPECT_EQ(at((255 * 60 + 59) * 1000 + 990), (Shown{4, 255, 59, 99}));
  // Past what the minute byte holds the time stops rather than wrapping.
  EXPECT_EQ(at(256 * 60 * 1000), (Shown{4, 255, 59, 99}));
  EXPECT_EQ(at(10 * 3600 * 1000 + 1), (Shown{10, 255, 59, 99}));
  EXPECT_EQ(at(INT64_MAX), (Shown{255, 255, 59, 99}));
}

TEST(Decoder, AnEmptyBufferIsRefusedAndTheDecoderStaysUsable) {
  Decoder decoder;
  EXPECT_NE(decoder.OpenMemory({}), kXaSuccess);
  const std::vector<std::uint8_t> none;
  EXPECT_NE(decoder.OpenMemory(none), kXaSuccess);
  ASSERT_EQ(decoder.OpenFile(common::PathFromAnsi(TestFile("tone3s.mp3"))), kXaSuccess);
  EXPECT_EQ(decoder.Info().sampleRate, 44100);
}

TEST(Decoder, BandFactors) {
  EXPECT_DOUBLE_EQ(Decoder::BandFactor(0), 1.0);
  EXPECT_NEAR(20 * std::log10(Decoder::BandFactor(-128)), 12.0, 1e-9);
  EXPECT_LT(Decoder::BandFactor(127), 0.26);
}

}  // namespace

#ifdef _WIN32
// Under Wine this plays on the null sound device (ALSA_CONFIG_PATH).
TEST(WaveOut, PlaysSeeksAndStopsThroughTheSystemDevice) {
  QueueWindow window;
  NotifyWindowHandle handle = &window;
  PlayerHandle player = nullptr;
  ASSERT_EQ(player_new(&player, &handle), 0);
  control_message_send(player, kCmdSetNotifications, 1);
  const std::string path = TestFile("tone3s.mp3");
  control_message_send(player, kCmdInputOpen, path.c_str());
  control_message_send(player, kCmdPlay);
  ASSERT_GE(window.WaitState(kStatePlaying), 0);
  ASSERT_GE(window.WaitFor([](const Posted& p) { return p.code == kNotifyPosition && p.a >= 200; }), 0)
      << "the device does not take data";
  std::size_t mark = window.Count();
  control_message_send(player, kCmdPause);
  ASSERT_GE(window.WaitState(kStatePaused, mark), 0);
  control_message_send(player, kCmdSeek, 9, 10);
  control_message_send(player, kCmdPlay);
  ASSERT_GE(window.WaitFor([](const Posted& p) { return p.code == kNotifyPosition && p.a >= 2700; }, mark), 0);
  ASSERT_GE(window.WaitState(kStateEof, mark), 0);
  mark = window.Count();
  control_message_send(player, kCmdStop);
  control_message_send(player, kCmdInputClose);
  ASSERT_GE(window.WaitFor([](const Posted& p) { return p.code == kNotifyInputState && p.a == 1; }, mark), 0);
  for (const auto& p : window.Snapshot()) EXPECT_NE(p.code, static_cast<std::uint32_t>(kNotifyCommandFailed));
  EXPECT_EQ(player_delete(player), 0);
}
#endif
