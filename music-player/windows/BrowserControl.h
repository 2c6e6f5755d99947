// The system's web browser control, hosted in a window of ours (an in-place
// OLE container on Windows). Where it cannot be created, or it has no page
// engine to show a page with, there is none, and the browser window shows
// the address with a button that opens it in the user's default browser.
#pragma once

#include <memory>
#include <string>

#include "platform/gui/CustomWindow.h"

namespace vantu {

class BrowserControl {
 public:
  virtual ~BrowserControl() = default;
  // Goes to the address, never from the cache. False when nothing can be
  // shown (the control then stays hidden).
  virtual bool Navigate(const std::string& address) = 0;
  // Where the page is shown, in the host window's client pixels.
  virtual void SetBounds(const gui::Rect& client) = 0;
  virtual void SetVisible(bool on) = 0;
  // Whether the control shows pages (it has a page engine).
  virtual bool CanShowPages() const = 0;
};

// The control in the host window, or null when it cannot be created (no
// control registered, no page engine, no native window).
std::unique_ptr<BrowserControl> CreateBrowserControl(gui::CustomWindow& host);

}  // namespace vantu
