#include "music-player/PlayerEngine.h"

#include <cstdio>
#include <memory>

#include "common/ByteOrder.h"
#include "platform/gui/Application.h"
#include "platform/gui/Form.h"

namespace vantu {

using namespace xaudio;

// The hidden window: a form that is never shown. It receives the
// notifications as numbered messages; the engine thread reaches it only
// through the GUI thread's queue.
class EngineWindow : public gui::Form, public NotifyWindow {
 public:
  explicit EngineWindow(CPlayerEngine* engine) : engine_(engine) {
    SetCaption("Xaudio Hidden Window");
    SetBounds(0, 0, 0, 0);
    for (std::uint32_t m = kXaMessageBase; m < kXaMessageBase + kXaMessageCodes; ++m)
      SetMessageHandler(m, [this, m](std::uintptr_t w, std::intptr_t l) -> std::intptr_t {
        return engine_ ? engine_->EngineWindowProc(m, w, l) : 0;
      });
    Create();
    life_ = LifeToken();
    queue_ = gui::App().WorkerQueue();
  }
  ~EngineWindow() override { Destroy(); }

  void Detach() { engine_ = nullptr; }

  // From the engine thread: queue only.
  void PostNotification(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override {
    queue_->PostCall([life = life_, message, wParam, lParam] {
      if (auto alive = life.lock()) gui::App().Post(**alive, message, wParam, lParam);
    });
  }

 private:
  CPlayerEngine* engine_;
  std::weak_ptr<gui::Form*> life_;
  std::shared_ptr<gui::CrossThreadQueue> queue_;
};

namespace {
CPlayerEngine* processEngine = nullptr;
}

CPlayerEngine* TheEngine() { return processEngine; }

CPlayerEngine::CPlayerEngine(XaudioLibrary library) : library_(std::move(library)) {}

CPlayerEngine::~CPlayerEngine() {
  if (window_) window_->Detach();
  if (player_) library_.playerDelete(player_);
  player_ = nullptr;
  window_.reset();
}

void CPlayerEngine::Create() {
  player_ = nullptr;
  state_ = kStateStopped;
  autoPlay_ = false;
  const std::uint32_t version = library_.getApiVersion(2);
  if (((version >> 16) & 0xFF) != 3 || ((version >> 8) & 0xFF) != 2) {
    gui::App().MessageBox("Xaudio DLL API version mismatch", "Xaudio Error", gui::Buttons::kOk, gui::MsgIcon::kError);
    return;
  }
  window_ = std::make_unique<EngineWindow>(this);
  NotifyWindowHandle handle = window_.get();
  if (library_.playerNew(&player_, &handle) != 0) player_ = nullptr;
}

void CPlayerEngine::SendCommand(const Command& c) {
  if (!player_) return;
  if (c.code == kCmdInputOpen) control_message_send(player_, c.code, c.path);
  else if (c.code == kCmdEqualizer) control_message_send(player_, c.code, c.table);
  else control_message_send(player_, c.code, int{c.values[0]}, int{c.values[1]}, int{c.values[2]});
}

std::intptr_t CPlayerEngine::EngineWindowProc(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
  if (message < kXaMessageBase || !player_) return 1;
  NotificationRecord record;
  if (library_.paramsToMessage(player_, &record, message, wParam, lParam) != 0) return 1;
  Dispatch(record);
  return 0;
}

void CPlayerEngine::Dispatch(const NotificationRecord& r) {
  const std::uint32_t code = r.code;
  const std::uint8_t* p = r.params;
  const std::uint32_t first = common::LoadLE32(p), second = common::LoadLE32(p + 4);
  switch (code) {
    case 64: return OnReady();
    case 66: return OnCommandFailed(p);
    case 69: return OnPlayerState(p[0]);
    case 73: return OnInputState(p[0]);
    case 76: return OnPosition(first, second);
    case 78: return OnTimeCode(p);
    case 81: return OnStreamProperties(p);
    case 68: return OnNotifyNothing(code);
    case 65: case 86: case 93: case 94: case 100: case 103:
      return OnNotifyByte(code, p[0]);
    case 67: case 70: case 74: case 75: case 77: case 79: case 80: case 87: case 88: case 101: case 102:
      return OnNotifyWord(code, first);
    case 71: case 72:
      return OnNotifyTwoWords(code, first, second);
    case 82: case 96:
      return OnNotifyShort(code, static_cast<std::int16_t>(common::LoadLE16(p)));
    case 90: return OnNotifyByte(code, p[2]);
    case 91: return OnNotifyByte(code, p[1]);
    case 92: return OnNotifyByte(code, p[0]);
    case 83: case 84: case 85: case 89: case 97: case 98: case 99: case 104: case 105: case 106:
      return OnNotifyAddress(code, p);
    default:  // 95 and every code outside 64-106
      return;
  }
}

void CPlayerNotify::OnReady() { Send(kCmdSetNotifications, 1); }

void CPlayerNotify::OnCommandFailed(const std::uint8_t* params) {
  const short error = static_cast<short>(common::LoadLE16(params + 2));
  char text[160];
  std::snprintf(text, sizeof text, "Command %d failed\n[%s]", params[0], library_.errorString(error));
  diagnostic_ = text;
}

void CPlayerNotify::OnPlayerState(std::uint8_t state) {
  if (state <= kStatePaused) {
    state_ = state;
  } else if (state == kStateEof) {
    // The end-of-track action sees the state as it was (normally playing).
    if (owner_) owner_->OnTrackEnd();
    state_ = kStateEof;
  }
}

void CPlayerNotify::OnInputState(std::uint8_t state) {
  if (state == 0 && autoPlay_) Send(kCmdPlay);
}

void CPlayerNotify::OnPosition(std::uint32_t offset, std::uint32_t range) {
  if (owner_) owner_->ShowPosition(offset, range);
}

void CPlayerNotify::OnTimeCode(const std::uint8_t* params) {
  if (owner_) owner_->ShowTime(params[1] * 60 + params[2]);
}

void CPlayerNotify::OnStreamProperties(const std::uint8_t* params) {
  if (owner_) owner_->ShowStream(params);
}

std::unique_ptr<CPlayerEngine> StartPlayerEngine(PlayerEngineOwner& owner, XaudioLibrary library) {
  auto engine = std::make_unique<CPlayerNotify>(std::move(library));
  engine->Create();
  engine->SetOwner(&owner);
  processEngine = engine.get();
  engine->Send(kCmdStart49);
  engine->Send(kCmdStart15);
  engine->Send(kCmdStart28);
  return engine;
}

void DestroyPlayerEngine(std::unique_ptr<CPlayerEngine>& engine) {
  if (processEngine == engine.get()) processEngine = nullptr;
  engine.reset();
}

}  // namespace vantu
