#include "transfer-manager/ShapePictures.h"

namespace halvern {

SharedBitmap LoadSharedPicture(const common::Path& path) {
  auto picture = gui::LoadPicture(path);
  if (!picture) return nullptr;
  return std::make_shared<const gui::Bitmap>(std::move(*picture));
}

CommandStrip CutStrip(const gui::Bitmap& strip) {
  CommandStrip out{};
  if (strip.Empty() || strip.Height() % kCommandCount != 0) return out;
  const int height = strip.Height() / kCommandCount;
  for (int i = 0; i < kCommandCount; ++i) {
    gui::Bitmap piece(strip.Width(), height);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < strip.Width(); ++x) piece.SetPixel(x, y, strip.Pixel(x, i * height + y));
    }
    out[static_cast<std::size_t>(i)] = std::make_shared<const gui::Bitmap>(std::move(piece));
  }
  return out;
}

const CommandStrip& StripFile::Current() {
  std::error_code error;
  Stamp now;
  now.size = std::filesystem::file_size(path_, error);
  if (error) return pictures_;
  now.time = std::filesystem::last_write_time(path_, error);
  if (error || (read_ && now == stamp_)) return pictures_;
  auto picture = gui::LoadPicture(path_);
  if (!picture) return pictures_;
  CommandStrip cut = CutStrip(*picture);
  if (!cut[0]) return pictures_;
  pictures_ = std::move(cut);
  stamp_ = now;
  read_ = true;
  return pictures_;
}

}  // namespace halvern
