// The program's mouse pointer: the hourglass over all its windows while
// long work runs on the GUI thread (a transfer, a download), the normal
// pointer again afterwards; and pointer shapes of the program's own that
// a control shows while the mouse is over it (Control::SetCursor).
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "common/File.h"
#include "common/Result.h"

namespace gui {

// A pointer shape: a CURSOR resource of the program, named, or the bytes
// of a .cur (or .ico) file, checked when read. Headless runs compare
// pointers by Name(); the Win32 backend makes the system's cursor from
// the resource (the arrow when there is no such resource) or from the
// file's first image, once, on first use.
class MousePointer {
 public:
  static constexpr std::size_t kMaxFileBytes = 256u << 10;
  static constexpr int kMaxImages = 32;

  // The resource name, or the file's path (or the name given to the
  // bytes).
  const std::string& Name() const { return name_; }
  bool FromResource() const { return bytes_.empty(); }
  // The whole .cur/.ico file (empty for a resource).
  const std::vector<std::uint8_t>& FileBytes() const { return bytes_; }
  // The first image: its place in FileBytes, size and hot spot (an icon's
  // hot spot is its centre).
  std::size_t ImageOffset() const { return imageOffset_; }
  std::size_t ImageSize() const { return imageSize_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  int HotSpotX() const { return hotX_; }
  int HotSpotY() const { return hotY_; }

  // For backends: the native cursor, made on first use and freed with the
  // pointer (GUI thread only).
  mutable std::shared_ptr<void> native;

 private:
  friend std::shared_ptr<const MousePointer> PointerResource(std::string name);
  friend common::Result<std::shared_ptr<const MousePointer>> DecodePointer(std::span<const std::uint8_t> bytes,
                                                                           std::string name);
  std::string name_;
  std::vector<std::uint8_t> bytes_;
  std::size_t imageOffset_ = 0;
  std::size_t imageSize_ = 0;
  int width_ = 0;
  int height_ = 0;
  int hotX_ = 0;
  int hotY_ = 0;
};

// A CURSOR resource of the program (never fails: a missing resource shows
// the standard arrow on Windows).
std::shared_ptr<const MousePointer> PointerResource(std::string name);
// A .cur or .ico file's bytes: refused when the directory or the first
// image lies outside them, or the file is larger than kMaxFileBytes.
common::Result<std::shared_ptr<const MousePointer>> DecodePointer(std::span<const std::uint8_t> bytes,
                                                                  std::string name);
// Reads a pointer file (the program's own .cur beside the program).
common::Result<std::shared_ptr<const MousePointer>> LoadPointer(const common::Path& path);

void SetBusyCursor(bool on);
bool BusyCursor();

// Shows the hourglass for the lifetime of the object and puts back what
// was shown before.
class BusyCursorScope {
 public:
  BusyCursorScope() : before_(BusyCursor()) { SetBusyCursor(true); }
  ~BusyCursorScope() { SetBusyCursor(before_); }
  BusyCursorScope(const BusyCursorScope&) = delete;
  BusyCursorScope& operator=(const BusyCursorScope&) = delete;

 private:
  bool before_;
};

}  // namespace gui
