// Small value types of the GUI layer. Texts are UTF-8 throughout; the Win32
// backend converts them to UTF-16 at the API boundary.
#pragma once

#include <cstdint>
#include <string>

namespace gui {

// Positions and sizes in logical pixels (96 per inch); the Win32 backend
// scales them to the display.
struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const Rect&) const = default;
};

struct Point {
  int x = 0;
  int y = 0;
};

enum class Align { kLeft, kRight, kCenter };

// A picture kept in the program's resources, named by its resource name.
// Headless runs compare pictures by name.
struct Icon {
  std::string resource;
  bool empty() const { return resource.empty(); }
  bool operator==(const Icon&) const = default;
};

// Result of a modal form or a message box.
enum class ModalResult : int {
  kNone = 0,
  kOk = 1,
  kCancel = 2,
  kAbort = 3,
  kRetry = 4,
  kIgnore = 5,
  kYes = 6,
  kNo = 7,
};

enum class Buttons { kOk, kOkCancel, kAbortRetryIgnore, kYesNoCancel, kYesNo, kRetryCancel };
enum class MsgIcon { kNone, kError, kQuestion, kWarning, kInformation };
// The button of a message box that Enter presses (counted from the left).
enum class DefaultButton { kFirst, kSecond, kThird };

// What pressing the button at `which` gives; a box with fewer buttons
// has its first button as the default.
ModalResult ButtonResult(Buttons buttons, DefaultButton which);

// Virtual key codes the forms react to (the Windows numbers).
namespace keys {
inline constexpr int kReturn = 13;
inline constexpr int kEscape = 27;
inline constexpr int kUp = 38;
inline constexpr int kDown = 40;
inline constexpr int kDelete = 46;
}  // namespace keys

}  // namespace gui
