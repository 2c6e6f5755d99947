// xaudio: the player's MPEG audio decoder engine, built on libmpg123.
//
// A player object decodes one input at a time on a thread of its own and
// plays it through an audio output (waveOut on Windows, a counting sink
// natively). The caller drives it with numbered commands
// (control_message_send) and learns what happened from numbered
// notifications that the engine posts to a notification window: message
// kXaMessageBase + code, the code's parameters packed by value into wParam
// (parameter bytes 0-3) and lParam (bytes 4-7). No pointer ever travels in a
// notification. control_win32_params_to_message turns such a message back
// into a NotificationRecord.
//
// Commands (code: arguments, all 32-bit int unless said otherwise):
//   3  play            resume or start the open input
//   4  pause
//   5  stop            stop and rewind to the start of the input
//   6  seek            offset, range: go to offset/range of the input
//   7  input open      const char* path (copied)
//   8  input close
//   15, 28, 49         accepted, no effect (start-up handshake of the caller)
//   29 notifications   1: position and time notifications on, 0: off
//   48 output level    volume 0-100, balance 0-100 (50 = centre), a third
//                      level kept for callers; 255 leaves a value as it is,
//                      other values outside 0-100 are clamped
//   58 equalizer       const unsigned char* 64 bytes (32 bands left, then 32
//                      right, each a signed gain -128..127, copied), or null
//                      for the equalizer off
//
// Notifications (code: parameter bytes):
//   64 ready           none; posted once when the engine thread runs
//   66 command failed  byte 0 the command code, bytes 2-3 signed error code
//   69 player state    byte 0: 0 stopped, 1 playing, 2 paused, 3 end of input
//   73 input state     byte 0: 0 an input is open and ready, 1 closed
//   76 position        bytes 0-3 offset, 4-7 range (milliseconds of the
//                      input; range 0 when the length is unknown)
//   78 time code       byte 0 hours, 1 minutes in all (not within the
//                      hour; at most 255), 2 seconds, 3 hundredths; past
//                      255 minutes it holds at 255:59.99 (TimeCodeAt)
//   81 stream          byte 0 MPEG version (1, 2, 3 = 2.5), byte 1 layer,
//                      bytes 2-3 bit rate in kbit/s, bytes 4-5 sample rate Hz
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace xaudio {

constexpr std::uint32_t kXaMessageBase = 0x9000;
// Notification codes the engine uses sit below this many above the base.
constexpr std::uint32_t kXaMessageCodes = 128;

enum Command : int {
  kCmdPlay = 3,
  kCmdPause = 4,
  kCmdStop = 5,
  kCmdSeek = 6,
  kCmdInputOpen = 7,
  kCmdInputClose = 8,
  kCmdStart15 = 15,
  kCmdStart28 = 28,
  kCmdSetNotifications = 29,
  kCmdOutputLevel = 48,
  kCmdStart49 = 49,
  kCmdEqualizer = 58,
};

enum Notification : std::uint32_t {
  kNotifyReady = 64,
  kNotifyCommandFailed = 66,
  kNotifyPlayerState = 69,
  kNotifyInputState = 73,
  kNotifyPosition = 76,
  kNotifyTimeCode = 78,
  kNotifyStream = 81,
};

enum PlayerState : int { kStateStopped = 0, kStatePlaying = 1, kStatePaused = 2, kStateEof = 3 };

// Error codes of notification 66 and of the API calls.
enum Error : int {
  kXaSuccess = 0,
  kXaFailure = -1,
  kXaOutOfMemory = -2,
  kXaInvalidParameters = -3,
  kXaNoInput = -4,
  kXaOpenFailed = -5,
  kXaNotMpegAudio = -6,
  kXaNotSeekable = -7,
  kXaOutputFailed = -8,
  kXaDecodeFailed = -9,
  kXaUnknownCommand = -10,
  kXaVersionMismatch = -11,
};

// The time code of notification 78 for a position in milliseconds: the
// four bytes, byte 0 first, as the low 32 bits. Negative positions give 0.
std::uint32_t TimeCodeAt(std::int64_t positionMs);

// API version word: major in bits 16-23, minor in bits 8-15.
constexpr std::uint32_t kApiVersion = (3u << 16) | (2u << 8);

// What the engine posts to. PostNotification may be called from the engine
// thread and must only queue (never run window code there).
class NotifyWindow {
 public:
  virtual ~NotifyWindow() = default;
  virtual void PostNotification(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) = 0;
};
using NotifyWindowHandle = NotifyWindow*;

// A notification read back from a window message: the code, then up to 16
// parameter bytes.
struct NotificationRecord {
  std::uint32_t code = 0;
  std::uint8_t params[16] = {};
};
static_assert(sizeof(NotificationRecord) >= 20);

// Where decoded PCM goes (signed 16-bit, interleaved, native byte order).
// Open, Write, Drain and Close run on the engine thread. Write may block for
// about as long as the data takes to play; Drain waits until everything
// written has played.
class AudioOutput {
 public:
  virtual ~AudioOutput() = default;
  virtual bool Open(int sampleRate, int channels) = 0;
  virtual bool Write(const std::int16_t* samples, std::size_t count) = 0;
  virtual void Pause() = 0;
  virtual void Resume() = 0;
  virtual void Flush() = 0;  // drops what is queued and not played yet
  virtual void Drain() = 0;
  virtual void Close() = 0;
};

// The counting sink: counts what it is given and, with a WAV path, records
// it (written when the output closes). Speed 1 plays in real time; speed n
// n times faster; 0 as fast as the engine decodes.
struct NullOutputOptions {
  double speed = 1.0;
  std::string wavPath;
};
struct NullOutputCounters {
  std::atomic<std::uint64_t> samples{0};  // interleaved samples written since creation
  std::atomic<int> sampleRate{0};
  std::atomic<int> channels{0};
  std::atomic<int> opens{0};
};
std::unique_ptr<AudioOutput> CreateNullOutput(NullOutputOptions options,
                                              std::shared_ptr<NullOutputCounters> counters = nullptr);
// The platform's output: waveOut on Windows, a real-time counting sink
// elsewhere.
std::unique_ptr<AudioOutput> CreateSystemOutput();

// An output held to the clock: samples go on no faster than their sample
// rate, at most `queueSeconds` ahead, whatever pace `inner` takes them at.
std::unique_ptr<AudioOutput> CreatePacedOutput(std::unique_ptr<AudioOutput> inner, double queueSeconds);
// How far the engine runs ahead of the clock: the four 100 ms buffers of
// the waveOut output.
inline constexpr double kOutputQueueSeconds = 0.4;

struct PlayerOptions {
  // Made on the engine thread when the engine starts; null: the system output.
  std::function<std::unique_ptr<AudioOutput>()> makeOutput;
  // The output is held to the clock (CreatePacedOutput); off, samples go
  // as fast as the output takes them (tests and benchmarks of decoding).
  bool realTime = true;
};

struct Player;
using PlayerHandle = Player*;

}  // namespace xaudio

// The library's calls, in the order a caller uses them.
std::uint32_t xaudio_get_api_version(int level);
// 0 on success with *player filled; the window must outlive the player.
int player_new(xaudio::PlayerHandle* player, xaudio::NotifyWindowHandle* window);
int player_new_with_options(xaudio::PlayerHandle* player, xaudio::NotifyWindowHandle* window,
                            const xaudio::PlayerOptions& options);
// Queues a command (arguments as listed above); 0 when queued.
int control_message_send(xaudio::PlayerHandle player, int code, ...);
// 0 when the message is one of the engine's notifications and `record` was
// filled; anything else: not the engine's.
int control_win32_params_to_message(xaudio::PlayerHandle player, xaudio::NotificationRecord* record,
                                    std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);
const char* xaudio_error_string(short code);
// Stops the engine thread (no notification is posted after this returns)
// and frees the player.
int player_delete(xaudio::PlayerHandle player);
