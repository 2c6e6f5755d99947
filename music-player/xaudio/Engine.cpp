// The player object: a command queue and the engine thread that decodes
// and plays, posting notifications as it goes.
#include <algorithm>
#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdarg>
#include <cstring>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "common/ByteOrder.h"
#include "music-player/xaudio/Decoder.h"
#include "music-player/AnsiText.h"
#include "music-player/xaudio/Xaudio.h"

namespace xaudio {

namespace {

struct ControlMessage {
  int code = 0;
  std::array<std::int32_t, 3> values{};
  std::string path;
  bool hasTable = false;
  std::array<std::uint8_t, 64> table{};
};

// How often, in milliseconds of the input, position notifications go out.
constexpr std::int64_t kPositionStepMs = 100;
// Decoded samples handed to the output at a time (about 23 ms of stereo
// 44.1 kHz): the engine looks at its command queue between chunks.
constexpr std::size_t kChunkSamples = 2048;

std::int32_t ClampLevel(std::int32_t v) { return std::clamp(v, 0, 100); }

}  // namespace

struct Player {
  NotifyWindow* window = nullptr;
  PlayerOptions options;

  std::mutex mutex;
  std::condition_variable wake;
  std::deque<ControlMessage> queue;
  bool quit = false;
  std::thread thread;

  // Engine thread only.
  Decoder decoder;
  std::unique_ptr<AudioOutput> output;
  bool outputOpen = false;
  int state = kStateStopped;
  bool notifications = false;
  std::int32_t volume = 100, balance = 50, thirdLevel = 100;
  std::int64_t lastPositionMs = -1;
  int lastSecond = -1;
  std::int64_t lengthSamples = -1;  // of the open input, read once at open
  std::vector<std::int16_t> chunk = std::vector<std::int16_t>(kChunkSamples);

  void Post(std::uint32_t code, std::uint32_t a = 0, std::uint32_t b = 0) {
    window->PostNotification(kXaMessageBase + code, a, static_cast<std::intptr_t>(static_cast<std::int32_t>(b)));
  }
  void PostFailure(int command, int error) {
    std::uint8_t p[4] = {static_cast<std::uint8_t>(command), 0, 0, 0};
    common::StoreLE16(p + 2, static_cast<std::uint16_t>(static_cast<std::int16_t>(error)));
    Post(kNotifyCommandFailed, common::LoadLE32(p));
  }
  void SetState(int s) {
    state = s;
    Post(kNotifyPlayerState, static_cast<std::uint32_t>(s));
  }

  void Run();
  void Handle(const ControlMessage& m);
  void DecodeChunk();
  void ReportPosition(bool force);
  void CloseInput();
  void ApplyGain(std::int16_t* s, std::size_t n) const;
};

void Player::Run() {
  output = options.makeOutput ? options.makeOutput() : CreateSystemOutput();
  if (options.realTime) output = CreatePacedOutput(std::move(output), kOutputQueueSeconds);
  Post(kNotifyReady);
  for (;;) {
    std::optional<ControlMessage> m;
    {
      std::unique_lock lock(mutex);
      if (state != kStatePlaying) wake.wait(lock, [&] { return quit || !queue.empty(); });
      if (quit) break;
      if (!queue.empty()) {
        m = std::move(queue.front());
        queue.pop_front();
      }
    }
    if (m) {
      Handle(*m);
      continue;
    }
    DecodeChunk();
  }
  CloseInput();
  output.reset();
}

std::uint32_t TimeCodeAt(std::int64_t positionMs) {
  // The player shows byte 1 x 60 + byte 2 seconds: byte 1 carries every
  // minute, so a file over an hour keeps counting (70:05, not 10:05). A byte
  // holds 255 minutes; later positions stay at the last time it can show.
  constexpr std::int64_t kLastMs = (255 * 60 + 59) * 1000 + 990;
  const std::int64_t ms = std::clamp<std::int64_t>(positionMs, 0, kLastMs);
  const std::uint8_t t[4] = {static_cast<std::uint8_t>(std::min<std::int64_t>(positionMs / 3600000, 255)),
                             static_cast<std::uint8_t>(ms / 60000), static_cast<std::uint8_t>(ms / 1000 % 60),
                             static_cast<std::uint8_t>(ms / 10 % 100)};
  return positionMs < 0 ? 0 : common::LoadLE32(t);
}

void Player::ReportPosition(bool force) {
  if (!notifications || !decoder.IsOpen()) return;
  const int rate = decoder.Info().sampleRate;
  if (rate <= 0) return;
  const std::int64_t posMs = decoder.PositionSamples() * 1000 / rate;
  const std::int64_t length = lengthSamples;
  const std::int64_t rangeMs = length > 0 ? length * 1000 / rate : 0;
  if (force || lastPositionMs < 0 || posMs - lastPositionMs >= kPositionStepMs || posMs < lastPositionMs) {
    lastPositionMs = posMs;
    Post(kNotifyPosition, static_cast<std::uint32_t>(std::min<std::int64_t>(posMs, INT32_MAX)),
         static_cast<std::uint32_t>(std::min<std::int64_t>(rangeMs, INT32_MAX)));
  }
  const int second = static_cast<int>(posMs / 1000);
  if (force || second != lastSecond) {
    lastSecond = second;
    Post(kNotifyTimeCode, TimeCodeAt(posMs));
  }
}

void Player::ApplyGain(std::int16_t* s, std::size_t n) const {
  if (volume == 100 && balance == 50) return;
  const int channels = decoder.Info().channels;
  // Balance: the far side fades out as the value moves away from 50.
  const double left = volume / 100.0 * (balance <= 50 ? 1.0 : (100 - balance) / 50.0);
  const double right = volume / 100.0 * (balance >= 50 ? 1.0 : balance / 50.0);
  for (std::size_t i = 0; i < n; ++i) {
    const double g = channels == 2 ? (i % 2 == 0 ? left : right) : std::min(left, right) * 1.0;
    s[i] = static_cast<std::int16_t>(s[i] * g);
  }
}

void Player::DecodeChunk() {
  std::size_t produced = 0;
  const Decoder::Status status = decoder.Read(chunk, produced);
  if (produced > 0) {
    ApplyGain(chunk.data(), produced);
    if (!output->Write(chunk.data(), produced)) {
      PostFailure(kCmdPlay, kXaOutputFailed);
      output->Flush();
      SetState(kStateStopped);
      return;
    }
    ReportPosition(false);
  }
  if (status == Decoder::Status::kDone || status == Decoder::Status::kError) {
    if (status == Decoder::Status::kError) PostFailure(kCmdPlay, kXaDecodeFailed);
    output->Drain();
    ReportPosition(true);
    SetState(kStateEof);
  }
}

void Player::CloseInput() {
  if (!decoder.IsOpen()) return;
  if (outputOpen) {
    output->Flush();
    output->Close();
    outputOpen = false;
  }
  decoder.Close();
  lastPositionMs = -1;
  lastSecond = -1;
}

void Player::Handle(const ControlMessage& m) {
  switch (m.code) {
    case kCmdPlay:
      if (!decoder.IsOpen()) return PostFailure(m.code, kXaNoInput);
      if (state == kStatePlaying) return;
      if (state == kStatePaused) {
        output->Resume();
      } else if (state == kStateEof) {
        decoder.SeekSamples(0);
        output->Flush();
      }
      return SetState(kStatePlaying);
    case kCmdPause:
      if (state != kStatePlaying) return;
      output->Pause();
      return SetState(kStatePaused);
    case kCmdStop:
      if (!decoder.IsOpen()) return;
      if (state == kStatePaused) output->Resume();
      output->Flush();
      decoder.SeekSamples(0);
      lastPositionMs = -1;
      if (state != kStateStopped) SetState(kStateStopped);
      return ReportPosition(true);
    case kCmdSeek: {
      if (!decoder.IsOpen()) return PostFailure(m.code, kXaNoInput);
      const std::int64_t offset = m.values[0], range = m.values[1];
      const std::int64_t length = lengthSamples;
      if (range <= 0 || offset < 0 || offset > range) return PostFailure(m.code, kXaInvalidParameters);
      if (length <= 0) return PostFailure(m.code, kXaNotSeekable);
      // 64-bit: a long input times a fine range stays exact.
      const std::int64_t target = std::min(length * offset / range, length);
      if (!decoder.SeekSamples(target)) return PostFailure(m.code, kXaNotSeekable);
      output->Flush();
      return ReportPosition(true);
    }
    case kCmdInputOpen: {
      CloseInput();
      if (state != kStateStopped) SetState(kStateStopped);
      const int r = decoder.OpenFile(vantu::PathFromCp949(m.path));
      if (r != kXaSuccess) {
        Post(kNotifyInputState, 1);
        return PostFailure(m.code, r);
      }
      const StreamInfo& info = decoder.Info();
      if (!output->Open(info.sampleRate, info.channels)) {
        decoder.Close();
        Post(kNotifyInputState, 1);
        return PostFailure(m.code, kXaOutputFailed);
      }
      outputOpen = true;
      lengthSamples = decoder.LengthSamples();
      Post(kNotifyStream,
           static_cast<std::uint32_t>(info.version) | (static_cast<std::uint32_t>(info.layer) << 8) |
               (static_cast<std::uint32_t>(std::clamp(info.bitrateKbps, 0, 0xFFFF)) << 16),
           static_cast<std::uint32_t>(std::clamp(info.sampleRate, 0, 0xFFFF)));
      Post(kNotifyInputState, 0);
      return ReportPosition(true);
    }
    case kCmdInputClose:
      if (!decoder.IsOpen()) return;
      CloseInput();
      if (state != kStateStopped) SetState(kStateStopped);
      return Post(kNotifyInputState, 1);
    case kCmdStart15:
    case kCmdStart28:
    case kCmdStart49:
      return;
    case kCmdSetNotifications:
      notifications = m.values[0] != 0;
      return;
    case kCmdOutputLevel:
      if (m.values[0] != 255) volume = ClampLevel(m.values[0]);
      if (m.values[1] != 255) balance = ClampLevel(m.values[1]);
      if (m.values[2] != 255) thirdLevel = ClampLevel(m.values[2]);
      return;
    case kCmdEqualizer:
      return decoder.SetEqualizer(m.hasTable ? m.table.data() : nullptr);
    default:
      return PostFailure(m.code, kXaUnknownCommand);
  }
}

}  // namespace xaudio

using namespace xaudio;

std::uint32_t xaudio_get_api_version(int) { return kApiVersion; }

int player_new(PlayerHandle* player, NotifyWindowHandle* window) {
  return player_new_with_options(player, window, PlayerOptions{});
}

int player_new_with_options(PlayerHandle* player, NotifyWindowHandle* window, const PlayerOptions& options) {
  if (!player || !window || !*window) return kXaInvalidParameters;
  auto p = std::make_unique<Player>();
  p->window = *window;
  p->options = options;
  Player* raw = p.get();
  p->thread = std::thread([raw] { raw->Run(); });
  *player = p.release();
  return kXaSuccess;
}

int control_message_send(PlayerHandle player, int code, ...) {
  if (!player) return kXaInvalidParameters;
  ControlMessage m;
  m.code = code;
  va_list args;
  va_start(args, code);
  switch (code) {
    case kCmdSeek:
      m.values[0] = va_arg(args, int);
      m.values[1] = va_arg(args, int);
      break;
    case kCmdInputOpen: {
      const char* path = va_arg(args, const char*);
      if (path) m.path = path;
      break;
    }
    case kCmdSetNotifications:
      m.values[0] = va_arg(args, int);
      break;
    case kCmdOutputLevel:
      for (auto& v : m.values) v = va_arg(args, int);
      break;
    case kCmdEqualizer: {
      const unsigned char* table = va_arg(args, const unsigned char*);
      if (table) {
        m.hasTable = true;
        std::memcpy(m.table.data(), table, m.table.size());
      }
      break;
    }
    default:
      break;
  }
  va_end(args);
  {
    std::lock_guard lock(player->mutex);
    player->queue.push_back(std::move(m));
  }
  player->wake.notify_one();
  return kXaSuccess;
}

int control_win32_params_to_message(PlayerHandle player, NotificationRecord* record, std::uint32_t message,
                                    std::uintptr_t wParam, std::intptr_t lParam) {
  if (!player || !record) return kXaInvalidParameters;
  if (message < kXaMessageBase || message >= kXaMessageBase + kXaMessageCodes) return kXaFailure;
  *record = NotificationRecord{};
  record->code = message - kXaMessageBase;
  common::StoreLE32(record->params, static_cast<std::uint32_t>(wParam));
  common::StoreLE32(record->params + 4, static_cast<std::uint32_t>(lParam));
  return kXaSuccess;
}

const char* xaudio_error_string(short code) {
  switch (code) {
    case kXaSuccess: return "success";
    case kXaFailure: return "failure";
    case kXaOutOfMemory: return "out of memory";
    case kXaInvalidParameters: return "invalid parameters";
    case kXaNoInput: return "no input open";
    case kXaOpenFailed: return "input cannot be opened";
    case kXaNotMpegAudio: return "input holds no MPEG audio";
    case kXaNotSeekable: return "input cannot be sought";
    case kXaOutputFailed: return "audio output failed";
    case kXaDecodeFailed: return "input could not be decoded";
    case kXaUnknownCommand: return "unknown command";
    case kXaVersionMismatch: return "version mismatch";
    default: return "unknown error";
  }
}

int player_delete(PlayerHandle player) {
  if (!player) return kXaInvalidParameters;
  {
    std::lock_guard lock(player->mutex);
    player->quit = true;
  }
  player->wake.notify_one();
  if (player->thread.joinable()) player->thread.join();
  delete player;
  return kXaSuccess;
}
