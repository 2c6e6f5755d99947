// Base of every visual control: parent, children, bounds, visibility,
// enabled state, hint and focus. A control's constructor only records its
// parent; Create() makes the native side of the control and its children.
// Properties may be set before or after Create(): the control keeps them and
// the native side follows.
//
// Parents are declared before their children in a form class, so that
// children (destroyed first) never outlive their parent.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/gui/Backend.h"
#include "platform/gui/Types.h"

namespace gui {

class Form;
class MousePointer;
class PopupMenu;

class Control {
 public:
  enum class Kind {
    kForm,
    kLabel,
    kButton,
    kEdit,
    kMemo,
    kCheckBox,
    kComboBox,
    kGroupBox,
    kPageControl,
    kTabSheet,
    kListView,
    kImage,
    kProgressBar,
    kTrackBar,
    kStatusBar,
    kTreeView,
    kRadioButton,
    kPanel,
    kSplitter,
    kCustomWindow,  // a Form whose face the program draws
  };

  Control(Control* parent, Kind kind);
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  // Makes the native side of this control and of its children.
  void Create();
  bool Created() const { return peer_ != nullptr; }
  // Removes the native side of this control and its children.
  void DestroyNative();

  Kind kind() const { return kind_; }
  Control* Parent() const { return parent_; }
  Form* OwnerForm();
  // A form or a window kind built on it.
  bool IsForm() const { return kind_ == Kind::kForm || kind_ == Kind::kCustomWindow; }
  const std::vector<Control*>& Children() const { return children_; }

  const Rect& Bounds() const { return bounds_; }
  void SetBounds(int left, int top, int width, int height);
  int Left() const { return bounds_.left; }
  int Top() const { return bounds_.top; }
  int Width() const { return bounds_.width; }
  int Height() const { return bounds_.height; }
  void SetHeight(int height) { SetBounds(bounds_.left, bounds_.top, bounds_.width, height); }
  void SetWidth(int width) { SetBounds(bounds_.left, bounds_.top, width, bounds_.height); }

  bool Visible() const { return visible_; }
  virtual void SetVisible(bool visible);
  // Visible and so are all parents.
  bool Showing() const;
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  // Enabled and so are all parents, and no nested loop (a question, a
  // modal form, a long command) keeps input from its window: a user can
  // reach it.
  bool Usable() const;

  const std::string& Hint() const { return hint_; }
  void SetHint(std::string hint);

  // The mouse pointer shown while the mouse is over this control (for a
  // form: over its own surface), none for the window's standard one. Not
  // passed on to children. See MousePointer (Cursor.h).
  const std::shared_ptr<const MousePointer>& Cursor() const { return cursor_; }
  void SetCursor(std::shared_ptr<const MousePointer> pointer) { cursor_ = std::move(pointer); }

  // Makes this the active control of its form (focused while the form shows).
  void SetFocus();
  bool Focused();

  // Files dragged from the system shell may be dropped here: OnDropFiles
  // gets their full paths and the client point of the drop.
  bool AcceptFiles() const { return acceptFiles_; }
  void SetAcceptFiles(bool on);
  // What the user did: dropped files; refused while the control cannot be
  // reached or takes no files.
  bool UserDropFiles(const std::vector<std::string>& paths, Point at);
  std::function<void(const std::vector<std::string>& paths, Point at)> OnDropFiles;

  // The popup menu of a right click on the control (or the menu key).
  // OnContextPopup runs first with the screen point and may take the click
  // itself (handled = true). A control with neither leaves the click to the
  // window (a text box's own menu, or the parent's). The control does not
  // own the menu.
  PopupMenu* ContextMenu() const { return contextMenu_; }
  void SetContextMenu(PopupMenu* menu) { contextMenu_ = menu; }
  std::function<void(Point screen, bool& handled)> OnContextPopup;
  // What the user did: asked for the context menu at a screen point; false
  // when the control did not take it.
  bool UserContextMenu(Point screen);

  // The screen point of a point in the control's client area (headless:
  // the bounds of the control and its parents added up).
  Point ClientToScreen(Point client) const;

  // For backends: the native side.
  Peer* peer() const { return peer_.get(); }

 protected:
  // Takes bounds the native side already has (the user resized a window).
  void KeepBounds(const Rect& bounds) { bounds_ = bounds; }
  void Notify(Change what, int index = -1) {
    if (peer_) peer_->Changed(what, index);
  }

 private:
  Control* parent_;
  Kind kind_;
  std::vector<Control*> children_;
  std::unique_ptr<Peer> peer_;
  Rect bounds_;
  bool visible_ = true;
  bool enabled_ = true;
  std::string hint_;
  std::shared_ptr<const MousePointer> cursor_;
  bool acceptFiles_ = false;
  PopupMenu* contextMenu_ = nullptr;
};

}  // namespace gui
