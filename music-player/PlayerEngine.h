// The player's one engine object: checks the decoder library's version,
// creates its player bound to a hidden notification window of the GUI
// thread, turns the notifications arriving there into handler calls and
// sends the library its commands.
//
// Notifications come as numbered messages kXaMessageBase + code to the
// hidden window; the engine thread only posts them, so every handler runs
// on the GUI thread between other messages.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <functional>
#include <memory>

#include "music-player/xaudio/Xaudio.h"

namespace vantu {

// The library calls the engine makes, replaceable in tests.
struct XaudioLibrary {
  std::function<std::uint32_t(int)> getApiVersion = xaudio_get_api_version;
  std::function<int(xaudio::PlayerHandle*, xaudio::NotifyWindowHandle*)> playerNew = player_new;
  std::function<int(xaudio::PlayerHandle, xaudio::NotificationRecord*, std::uint32_t, std::uintptr_t,
                    std::intptr_t)>
      paramsToMessage = control_win32_params_to_message;
  std::function<const char*(short)> errorString = xaudio_error_string;
  std::function<int(xaudio::PlayerHandle)> playerDelete = player_delete;
};

// What the notifications act on: the main window.
class PlayerEngineOwner {
 public:
  virtual ~PlayerEngineOwner() = default;
  virtual void OnTrackEnd() = 0;                                          // state EOF
  virtual void ShowPosition(std::uint32_t offset, std::uint32_t range) = 0;  // 76
  virtual void ShowTime(int seconds) = 0;                                 // 78
  virtual void ShowStream(const std::uint8_t* properties) = 0;            // 81
};

class EngineWindow;

class CPlayerEngine {
 public:
  explicit CPlayerEngine(XaudioLibrary library = {});
  virtual ~CPlayerEngine();
  CPlayerEngine(const CPlayerEngine&) = delete;
  CPlayerEngine& operator=(const CPlayerEngine&) = delete;

  // Version check, hidden window, player. Without a player the engine sends
  // no commands and receives no notifications.
  void Create();

  xaudio::PlayerHandle Player() const { return player_; }
  int State() const { return state_; }
  bool AutoPlay() const { return autoPlay_; }
  void SetAutoPlay(bool on) { autoPlay_ = on; }
  PlayerEngineOwner* Owner() const { return owner_; }
  void SetOwner(PlayerEngineOwner* owner) { owner_ = owner; }
  // The last command-failure text (diagnostics only).
  const std::string& LastDiagnostic() const { return diagnostic_; }

  // Sends a command when there is a player; the engine copies a path or a
  // band table before Send returns.
  void Send(int code) { SendCommand({code}); }
  void Send(int code, std::int32_t a) { SendCommand({code, {a, 0, 0}}); }
  void Send(int code, std::int32_t a, std::int32_t b) { SendCommand({code, {a, b, 0}}); }
  void Send(int code, std::int32_t a, std::int32_t b, std::int32_t c) { SendCommand({code, {a, b, c}}); }
  void Send(int code, const char* path) { SendCommand({code, {}, path}); }
  void Send(int code, const unsigned char* table) { SendCommand({code, {}, nullptr, table}); }
  struct Command {
    int code = 0;
    std::array<std::int32_t, 3> values{};
    const char* path = nullptr;
    const unsigned char* table = nullptr;
  };
  virtual void SendCommand(const Command& command);

  // The hidden window's message procedure: 0 when the message was a
  // notification of the library and was dispatched.
  std::intptr_t EngineWindowProc(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);
  // Calls the handler of the record's code with the code's parameter shape.
  virtual void Dispatch(const xaudio::NotificationRecord& record);

  // Handlers, by parameter shape; the base does nothing. The named ones are
  // those of the codes the player acts on.
  virtual void OnReady() {}                                                 // 64
  virtual void OnCommandFailed(const std::uint8_t* /*params*/) {}           // 66
  virtual void OnPlayerState(std::uint8_t /*state*/) {}                     // 69
  virtual void OnInputState(std::uint8_t /*state*/) {}                      // 73
  virtual void OnPosition(std::uint32_t /*offset*/, std::uint32_t /*range*/) {}  // 76
  virtual void OnTimeCode(const std::uint8_t* /*params*/) {}                // 78
  virtual void OnStreamProperties(const std::uint8_t* /*params*/) {}        // 81
  // Every other code, by the shape its parameters take.
  virtual void OnNotifyNothing(std::uint32_t /*code*/) {}
  virtual void OnNotifyByte(std::uint32_t /*code*/, std::uint8_t /*value*/) {}
  virtual void OnNotifyWord(std::uint32_t /*code*/, std::uint32_t /*value*/) {}
  virtual void OnNotifyTwoWords(std::uint32_t /*code*/, std::uint32_t /*a*/, std::uint32_t /*b*/) {}
  virtual void OnNotifyShort(std::uint32_t /*code*/, std::int16_t /*value*/) {}
  virtual void OnNotifyAddress(std::uint32_t /*code*/, const std::uint8_t* /*params*/) {}

 protected:
  XaudioLibrary library_;
  xaudio::PlayerHandle player_ = nullptr;
  std::unique_ptr<EngineWindow> window_;
  bool autoPlay_ = false;
  int state_ = xaudio::kStateStopped;
  PlayerEngineOwner* owner_ = nullptr;
  std::string diagnostic_;
};

// The engine the player creates: its handlers act on the owner.
class CPlayerNotify : public CPlayerEngine {
 public:
  using CPlayerEngine::CPlayerEngine;
  void OnReady() override;
  void OnCommandFailed(const std::uint8_t* params) override;
  void OnPlayerState(std::uint8_t state) override;
  void OnInputState(std::uint8_t state) override;
  void OnPosition(std::uint32_t offset, std::uint32_t range) override;
  void OnTimeCode(const std::uint8_t* params) override;
  void OnStreamProperties(const std::uint8_t* params) override;
};

// The process-wide engine pointer the playback functions use.
CPlayerEngine* TheEngine();

// Creates the engine for an owner, registers it process-wide and sends the
// start-up commands 49, 15, 28 (the caller applies the equalizer next).
std::unique_ptr<CPlayerEngine> StartPlayerEngine(PlayerEngineOwner& owner, XaudioLibrary library = {});
// Stops and deletes the player first, so no notification reaches what it
// acts on afterwards, then the hidden window; clears the process-wide
// pointer.
void DestroyPlayerEngine(std::unique_ptr<CPlayerEngine>& engine);

}  // namespace vantu
