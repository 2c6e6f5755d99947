// The base of every window of the music player: a captionless custom-drawn
// window whose face is the element list of one skin frame. It paints the
// list double-buffered, hit-tests the mouse, captures it for the pressed
// element, hands releases to the skin action dispatcher, reacts to changed
// element values, opens the icon menus' drop-downs, and remembers its place
// in the settings block. CSizableSkinnedDialog adds the frame of eleven
// pieces that is laid out again whenever the window's size changes.
//
// The window only borrows its element list: the skin owns the elements and
// outlives every window.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "music-player/PlayerSettings.h"
#include "music-player/skin/SkinDisplay.h"
#include "music-player/skin/SkinElement.h"
#include "platform/gui/CustomWindow.h"

namespace vantu {

// The window messages the player's windows exchange (the Windows numbers).
namespace wm {
inline constexpr std::uint32_t kClose = 0x0010;
inline constexpr std::uint32_t kCommand = 0x0111;
// Internal: a closed window's object is deleted (posted to the main window).
inline constexpr std::uint32_t kReleaseClosed = 0x8000 + 20;
}  // namespace wm

// Windows that closed themselves are deleted here, after the message that
// closed them has been handled: nothing runs on a deleted window. The
// window is hidden and its events cleared at once; the object goes when
// the GUI thread next takes its worker calls, or at Flush, but never while
// a window handler runs (a handler that asks a question or opens a dialog
// runs a nested loop in which its own window can be closed).
void DeleteLater(std::unique_ptr<gui::CustomWindow> window);
void FlushDeletedWindows();
// Windows handed to DeleteLater and not yet deleted.
std::size_t WindowsAwaitingDeletion();

// Held by a window handler that may run a nested loop (commands, drops,
// double clicks): windows closed meanwhile are deleted after the outermost
// such handler has returned.
class WindowHandlerScope {
 public:
  WindowHandlerScope();
  ~WindowHandlerScope();
  WindowHandlerScope(const WindowHandlerScope&) = delete;
  WindowHandlerScope& operator=(const WindowHandlerScope&) = delete;
};

class CSkinnedDialog : public gui::CustomWindow, public SkinWindow {
 public:
  explicit CSkinnedDialog(PlayerSettings& settings);
  ~CSkinnedDialog() override;

  // The frame's element list (borrowed; may be null: nothing is drawn).
  void SetElements(SkinElementList* list) { elements_ = list; }
  SkinElementList* Elements() const { return elements_; }
  int FrameIndex() const { return frameIndex_; }
  void SetFrameIndex(int index) { frameIndex_ = index; }
  CSkinnedDialog* OwnerDialog() const { return owner_; }
  CSkinElement* CaptureElement() const { return capture_; }
  gui::Point PressPoint() const { return pressPoint_; }
  // The settings rectangle this window is remembered in, if any.
  void SetRememberedRect(std::optional<SettingsRect> which) { remembered_ = which; }
  std::optional<SettingsRect> RememberedRect() const { return remembered_; }

  // Moves and sizes the window (screen pixels); a new size runs OnSizeChanged.
  void SetPlace(const SkinRect& screen);

  // --- The window's own operations ---
  virtual void OnChildDrag(CSkinnedDialog& window, int x, int y);
  // Right after a secondary window has been shown.
  virtual void OnShown() {}
  virtual void OnLayoutInit() {}
  virtual void OnRelayout() {}
  virtual void MoveDocked(int dx, int dy);
  virtual int GetFrameIndex() { return 0; }
  // The frame of window style variant 0, used where a skin lacks the
  // frame of the chosen variant.
  virtual int PlainFrameIndex() { return GetFrameIndex(); }
  // A rectangle of the owner's size right below it.
  virtual SkinRect GetInitialRect();
  // The current rectangle of the first frame background, or empty.
  virtual SkinRect GetBackgroundRect();
  // Draws every element that is not hidden, in list order.
  virtual void DrawElements(gui::Canvas& canvas);
  // Stores the owner, creates the window owned by it and moves it to
  // GetInitialRect.
  virtual void CreateWithOwner(CSkinnedDialog* owner);
  // A secondary window of this one closed (the main window forgets it).
  virtual void OnSecondaryClosed(CSkinnedDialog&) {}

  // WM_COMMAND (posted by elements and menus, or sent).
  virtual void OnCommand(std::uint32_t id, std::intptr_t lParam);
  // WM_CLOSE: remembers the place, closes the drop-down and hides the
  // window; a secondary window then tells its owner, which deletes it.
  virtual void HandleClose();
  // The window was closed (a handler back from a nested loop checks it
  // before it touches its window again).
  bool Closed() const { return closed_; }
  // An element reported a changed value (the WM_USER+101 handling): level
  // sliders 401 and 402 set the output level, 450-459 post their id.
  virtual void OnElementChanged(CSkinElement& element);

  // Draws every element with that id that is not hidden, on the face now.
  void RedrawElementsWithId(std::int32_t id);
  // Writes the window's screen rectangle to its remembered rectangle.
  void RememberPlace();

  // --- SkinWindow ---
  PlayerSettings& Settings() override { return settings_; }
  void PostCommand(std::uint32_t id, std::int32_t lParam) override;
  void PostClose() override;
  void SendElementChanged(CSkinElement& element) override;
  int ToggleWindow(int) override { return 1; }
  void OnDragBegin(int x, int y) override;
  void OnDragMove(int x, int y) override;
  void RedrawElement(CSkinElement& element) override;
  SkinRect ScreenRect() override;
  void MoveTo(const SkinRect& screen) override { SetPlace(screen); }
  void PaintOffscreen() override;
  const CSkinElement* BackgroundElement() override;
  void ShowDropDown(CSkinDropDown* dropDown) override;
  CSkinDropDown* DropDown() override { return dropDown_; }
  void RedrawDropDown() override;

 protected:
  // A new client size (the size message).
  virtual void OnSizeChanged() {}
  // Mouse handling of the base, for windows that add their own first.
  void BaseMouseDown(const gui::MouseEvent& e);
  void BaseMouseUp(const gui::MouseEvent& e);
  void BaseMouseMove(const gui::MouseEvent& e);
  // Closes an open drop-down (its close request).
  void CloseDropDown();

  PlayerSettings& settings_;

 private:
  SkinElementList* elements_ = nullptr;
  CSkinElement* capture_ = nullptr;
  CSkinnedDialog* owner_ = nullptr;
  int frameIndex_ = 0;
  bool closed_ = false;
  std::optional<SettingsRect> remembered_;
  gui::Point pressPoint_;
  CSkinDropDown* dropDown_ = nullptr;
  std::unique_ptr<gui::CustomWindow> dropDownOwned_;
  std::shared_ptr<bool> dropDownAlive_;  // false once the drop-down closed
};

// A resizable window: the pieces of its frame, the elements anchored to
// them and the title handles are laid out for every new size.
class CSizableSkinnedDialog : public CSkinnedDialog {
 public:
  using CSkinnedDialog::CSkinnedDialog;

  void OnLayoutInit() override { Relayout(); }
  void OnRelayout() override { Relayout(); }
  int GetFrameIndex() override { return 0; }
  SkinRect GetInitialRect() override { return {0, 0, 100, 100}; }
  // Every element that is not hidden and not the frame background.
  void DrawElements(gui::Canvas& canvas) override;
  // The eleven pieces, the anchored elements and the title handles for
  // the client size.
  virtual void LayoutFrame();

  // The centre piece (2006), where the window's content goes; null when
  // the frame has none.
  CSkinElement* CentrePiece() const;

 protected:
  void OnSizeChanged() override { OnRelayout(); }

 private:
  void Relayout() { LayoutFrame(); }
};

}  // namespace vantu
