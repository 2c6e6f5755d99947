// The main window's pictures: JPEG files beside the program (drawn by
// res/draw-pictures.py at build time). The seven command pictures come as
// two strips of seven, "button copy.jpg" (normal) and "button-a copy.jpg"
// (lit under the pointer), cut into one picture per command. The hover
// looks at the strip files on every pointer move and reads a file again
// only when it changed, so an unchanged picture stays the same shared
// bitmap and nothing is drawn twice.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>

#include "common/File.h"
#include "platform/gui/Picture.h"

namespace halvern {

inline constexpr const char* kBackPicture = "halvern-back.jpg";
inline constexpr const char* kButtonPicture = "button copy.jpg";
inline constexpr const char* kButtonActivePicture = "button-a copy.jpg";
inline constexpr const char* kPlayPicture = "play.jpg";
inline constexpr const char* kStopPicture = "stop.jpg";
inline constexpr const char* kClosePicture = "close.jpg";
inline constexpr const char* kCloseDownPicture = "close-down.jpg";
inline constexpr const char* kMinimizePicture = "minimize.jpg";
inline constexpr const char* kMinimizeDownPicture = "minimize-down.jpg";
inline constexpr const char* kPointerFile = "halvern.cur";
// The same pointer in the program's resources (Halvern.rc).
inline constexpr const char* kPointerResource = "HALVERN_POINTER";
// The program's icons shown by the close and minimise pictures when their
// files are missing.
inline constexpr const char* kCloseIcon = "WND_CLOSE";
inline constexpr const char* kMinimizeIcon = "WND_MIN";

// Every picture file of the window, as the build puts them beside the
// program.
inline constexpr const char* kShapePictureFiles[] = {
    kBackPicture,          kButtonPicture,   kButtonActivePicture, kPlayPicture,         kStopPicture,
    kClosePicture,         kCloseDownPicture, kMinimizePicture,    kMinimizeDownPicture, kPointerFile};

inline constexpr int kCommandCount = 7;

using SharedBitmap = std::shared_ptr<const gui::Bitmap>;
using CommandStrip = std::array<SharedBitmap, kCommandCount>;

// The picture of a file; null when it is missing or no picture.
SharedBitmap LoadSharedPicture(const common::Path& path);

// The strip cut into seven pictures of its width, one seventh of its
// height each, top to bottom; all null when its height is no multiple of
// seven.
CommandStrip CutStrip(const gui::Bitmap& strip);

// One strip file and its pictures.
class StripFile {
 public:
  explicit StripFile(common::Path path) : path_(std::move(path)) {}

  // The file's pictures: read again when its size or time changed since
  // the last read. A file that is gone or is no strip keeps the pictures
  // read before (none before the first good read).
  const CommandStrip& Current();

 private:
  struct Stamp {
    std::uintmax_t size = 0;
    std::filesystem::file_time_type time{};
    bool operator==(const Stamp&) const = default;
  };
  common::Path path_;
  bool read_ = false;
  Stamp stamp_;
  CommandStrip pictures_{};
};

}  // namespace halvern
