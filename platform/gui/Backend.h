// What a backend gives the GUI layer: the native side of every control, the
// timers, the message loop and the modal system dialogs. Two backends exist:
// Win32 (real windows) and headless (no window system, a virtual clock).
// Form code never sees this interface; controls and the application use it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/gui/Types.h"

namespace gui {

class Control;
class Form;
class MenuItem;
class PopupMenu;
class Timer;
class TrayIcon;

// Which property of a control changed from code.
enum class Change {
  kBounds,
  kVisible,
  kEnabled,
  kText,       // caption or text
  kChecked,
  kItems,      // the whole item list (combo box, list view, memo lines)
  kItemAdded,  // index: the new item
  kItemRemoved,
  kItemChanged,
  kItemIndex,  // selection
  kColumns,
  kReadOnly,
  kPasswordChar,
  kPicture,
  kActivePage,
  kHint,
  kFocus,
  kFront,      // bring to front
  kAnimation,  // tray icon animation switched on or off
};

// The native side of one control (or of a tray icon).
class Peer {
 public:
  virtual ~Peer() = default;
  virtual void Changed(Change what, int index) = 0;
};

struct MessageBoxRequest {
  std::string text;
  std::string title;
  Buttons buttons = Buttons::kOk;
  MsgIcon icon = MsgIcon::kNone;
  Form* owner = nullptr;
};

class Backend {
 public:
  virtual ~Backend() = default;

  // Native side of a control; the control's parent has its peer already.
  virtual std::unique_ptr<Peer> CreatePeer(Control& control) = 0;
  virtual std::unique_ptr<Peer> CreateTrayPeer(TrayIcon& tray) = 0;

  // Timers: (re)arm with the timer's interval, or stop.
  virtual void StartTimer(Timer& timer) = 0;
  virtual void StopTimer(Timer& timer) = 0;

  // Numbered messages to a form, from the GUI thread.
  virtual void Post(Form& form, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) = 0;
  virtual std::intptr_t Send(Form& form, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) = 0;

  // The loop. ProcessPending handles what is ready now and reports whether
  // anything was handled; WaitAndHandle blocks until at least one thing was
  // handled; Elapse keeps handling while `ms` pass. Wake may be called from
  // any thread: work was queued for the GUI thread.
  virtual bool ProcessPending() = 0;
  virtual void WaitAndHandle() = 0;
  virtual void Elapse(int ms) = 0;
  virtual void Wake() = 0;
  virtual void Quit() = 0;
  virtual std::uint64_t NowMs() = 0;

  // Modal system dialogs and menus.
  virtual ModalResult ShowMessageBox(const MessageBoxRequest& request) = 0;
  // Shows the menu at a screen point; gives the chosen item or nullptr.
  virtual MenuItem* TrackPopupMenu(PopupMenu& menu, Point at) = 0;
  // Modal state of a form: other forms are disabled while it runs.
  virtual void BeginModal(Form& form) = 0;
  virtual void EndModal(Form& form) = 0;
  virtual void BringAppToFront() = 0;
};

}  // namespace gui
