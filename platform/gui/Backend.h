// What a backend gives the GUI layer: the native side of every control, the
// timers, the message loop and the modal system dialogs. Two backends exist:
// Win32 (real windows) and headless (no window system, a virtual clock).
// Form code never sees this interface; controls and the application use it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/gui/Types.h"

namespace gui {

class Control;
class FolderWatch;
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
  kValue,      // position or range (progress bar, track bar)
  kViewStyle,  // list view style
  kImages,     // image list of a list or tree view
  kDropHighlight,
  kNodeAdded,    // tree view; index: the node's id
  kNodeRemoved,  // before the node and its subtree go
  kNodeChanged,  // text, pictures, children button or expanded state
  kPanels,       // status bar panels (index: one panel, -1 all)
  kAcceptFiles,  // files may (no longer) be dropped on the control
  kMenu,         // a form's menu bar was set
  kLook,         // a form's colour or background picture, a label's font or transparency
};

// The native side of one control (or of a tray icon).
class Peer {
 public:
  virtual ~Peer() = default;
  virtual void Changed(Change what, int index) = 0;
  // Geometry of the native control where it has one: the row (or node)
  // under a client point (-1 for none), the client rectangle of a row.
  virtual std::optional<int> ItemAt(Point) { return std::nullopt; }
  virtual std::optional<Rect> ItemRect(int) { return std::nullopt; }
  // The screen point of a client point of the native window.
  virtual std::optional<Point> ToScreen(Point) { return std::nullopt; }
  // Windows (forms): minimise to the task bar, and whether it is now.
  virtual void Minimize() {}
  virtual bool Minimized() { return false; }
};

struct MessageBoxRequest {
  std::string text;
  std::string title;
  Buttons buttons = Buttons::kOk;
  MsgIcon icon = MsgIcon::kNone;
  Form* owner = nullptr;
  DefaultButton defaultButton = DefaultButton::kFirst;
};

// What a file dialog is asked to show. Filters are pairs of a description
// and patterns separated by ";" ("MP3 Files (*.MP3)", "*.MP3");
// filterIndex counts from 1.
struct FileFilter {
  std::string description;
  std::string patterns;
  bool operator==(const FileFilter&) const = default;
};

struct FileDialogRequest {
  bool save = false;
  bool multiSelect = false;      // open only
  bool overwritePrompt = false;  // save only: the dialog asks before replacing
  bool fileMustExist = true;     // open only
  std::string title;
  std::string initialFolder;
  std::string fileName;
  std::string defaultExtension;  // without the dot
  std::vector<FileFilter> filters;
  int filterIndex = 1;
  Form* owner = nullptr;
};

struct FileDialogAnswer {
  bool ok = false;
  std::vector<std::string> paths;  // full paths; several only for a multi-select open
  int filterIndex = 1;
};

struct FolderDialogRequest {
  std::string title;
  std::string initialFolder;
  Form* owner = nullptr;
};

struct FolderDialogAnswer {
  bool ok = false;
  std::string path;
};

// Shell icons are pictures whose resource name begins with "shell:"; the
// Win32 backend keeps the system's image list index behind it.
struct ShellItemInfo {
  std::string displayName;
  std::string typeName;
  Icon icon;
};

// A nested loop of the GUI thread: a message box, a file or folder dialog,
// a popup menu, a modal form, or a long command (ModalScope). While one
// runs, user input reaches only the windows it names (none for a box, a
// dialog or a menu: the system's own window is the top one); timers,
// worker calls and posted messages keep flowing.
enum class ModalKind { kMessageBox, kFileDialog, kFolderDialog, kPopupMenu, kForm, kScope };

struct ModalFrame {
  ModalKind kind = ModalKind::kScope;
  std::vector<Form*> usable;
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
  // Modal state of a form (shown already): its loop begins and ends.
  virtual void BeginModal(Form& form) = 0;
  virtual void EndModal(Form& form) = 0;
  // A nested loop begins (before its window shows) and ends (after it is
  // gone), in stack order: the backend keeps input from every window of
  // the program but the frame's usable ones (Win32: they are disabled).
  virtual void EnterModal(const ModalFrame&) {}
  virtual void LeaveModal(const ModalFrame&) {}
  virtual void BringAppToFront() = 0;

  // Common dialogs: the file chosen, several for a multi-select open, or
  // none when the user cancelled.
  virtual FileDialogAnswer ShowFileDialog(const FileDialogRequest& request) = 0;
  virtual FolderDialogAnswer ShowFolderDialog(const FolderDialogRequest& request) = 0;
  // The shell's display name and icons of a PC file or folder.
  virtual ShellItemInfo GetShellInfo(const std::string& path, bool folder) = 0;
  // The hourglass over every window of the program while long work runs.
  virtual void SetBusyCursor(bool on) = 0;
  // Watches a folder; the peer calls FolderWatch::Changed on the GUI
  // thread. Replaced (or dropped) whenever the watch's settings change.
  virtual std::unique_ptr<Peer> CreateFolderWatchPeer(FolderWatch& watch) = 0;

  // The screen (the desktop window's rectangle) and its work area (the
  // screen less the task bar), in device pixels.
  virtual Rect ScreenRect() = 0;
  virtual Rect WorkArea() = 0;
};

}  // namespace gui
