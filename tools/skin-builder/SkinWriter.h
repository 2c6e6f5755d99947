// Writes skin files ("DruskLirn.Mpt") record by record: the skin builder's
// back end, and what the tests make their skins with. The layout comes from
// music-player/skin/SkinFormat.h, the same header the reader uses.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/Result.h"
#include "music-player/skin/SkinFormat.h"
#include "music-player/skin/SkinStream.h"

namespace skinbuilder {

using Bytes = std::vector<std::uint8_t>;
using vantu::SkinRect;

// A colour value: red + green * 256 + blue * 65536.
using Color = std::uint32_t;
constexpr Color Rgb(int r, int g, int b) {
  return vantu::skin_format::ColorValue(static_cast<std::uint32_t>(r), static_cast<std::uint32_t>(g),
                                        static_cast<std::uint32_t>(b));
}

// A BMP file of the kind skins embed: 40-byte information header, no colour
// table, bottom-up rows padded to 4 bytes, 24 or 32 bits. `pixel` gives the
// colour of (x, y), y counted from the top.
Bytes MakeBmp(int width, int height, const std::function<Color(int x, int y)>& pixel, int bitCount = 24);
Bytes SolidBmp(int width, int height, Color color, int bitCount = 24);
// Checks a BMP file read from disk and rewrites it in the embedded form
// (file header, 40-byte header, rows at byte 54): 24- and 32-bit plain RGB
// files only, bottom-up.
common::Result<Bytes> NormalizeBmp(const Bytes& file);

// The payload of one record, value by value.
class Payload {
 public:
  Payload& U32(std::uint32_t v);
  Payload& S32(std::int32_t v) { return U32(static_cast<std::uint32_t>(v)); }
  Payload& Rect(const SkinRect& r);
  // Three words: red, green, blue (only their low bytes count to the reader).
  Payload& ColorWords(std::uint32_t red, std::uint32_t green, std::uint32_t blue);
  Payload& Color(skinbuilder::Color c);
  Payload& Raw(const Bytes& bytes);
  Payload& Raw(std::string_view bytes);
  // u32 length and the bytes.
  Payload& Counted(std::string_view bytes);
  // u32 length and a complete BMP file.
  Payload& Image(const Bytes& bmp);
  const Bytes& bytes() const { return bytes_; }

 private:
  Bytes bytes_;
};

struct MenuItem {
  std::int32_t action = 0;
  Bytes image, highlighted;
};

class SkinWriter {
 public:
  // The four bytes behind "TAG:" in every header this writer makes.
  void SetTagExtra(std::array<std::uint8_t, 4> extra) { extra_ = extra; }

  // One record: header (with the payload's length unless `declaredLength`
  // says otherwise) and payload.
  void Record(std::uint32_t type, std::int32_t id, std::uint32_t flags, const Payload& payload,
              std::optional<std::uint32_t> declaredLength = std::nullopt);
  // Bytes as they are (broken headers, truncations).
  void Raw(const Bytes& bytes);

  // --- Record kinds ---
  void Frame(std::int32_t number, const SkinRect& rect, const Bytes& image, std::uint32_t flags = 0);
  void HeaderOnly(std::int32_t id, std::uint32_t declaredLength = 0);
  void PushButton(std::int32_t id, const SkinRect& rect, const Bytes& normal, const Bytes& pressed,
                  std::uint32_t flags = 0);
  void ToggleButton(std::int32_t id, const SkinRect& rect, const Bytes& onNormal, const Bytes& onPressed,
                    const Bytes& offNormal, const Bytes& offPressed, std::uint32_t flags = 0);
  void PositionSlider(std::int32_t id, std::uint32_t styleKey, const SkinRect& rect, const SkinRect& fill,
                      std::uint32_t flags = 0);
  void ValueSlider(std::int32_t id, std::uint32_t knobKey, const SkinRect& rect, std::uint32_t flags = 0);
  void ImageCounter(std::int32_t id, std::uint32_t setSlot, const SkinRect& rect, std::uint32_t flags = 0);
  void NumberField(std::int32_t id, std::uint32_t fontSlot, const SkinRect& rect, Color text, Color back,
                   std::uint32_t flags = 0);
  void ImageSelector(std::int32_t id, const SkinRect& rect, const std::vector<Bytes>& images,
                     std::uint32_t flags = 0);
  void TextField(std::int32_t id, std::uint32_t fontSlot, const SkinRect& rect, Color text, Color back,
                 std::uint32_t flags = 0);
  void IconMenuButton(std::int32_t id, const SkinRect& rect, const Bytes& button, const Bytes& pressed,
                      const Bytes& side, const std::vector<MenuItem>& items, std::uint32_t flags = 0);
  // Colours: background and text of the normal, selected, current and
  // current-and-selected rows. `face` is code page 949 bytes.
  void ListStyle(std::int32_t id, std::string_view face, std::int32_t fontWidth, std::int32_t fontHeight,
                 const SkinRect& rect, const std::array<Color, 8>& colors, std::uint32_t flags = 0);
  void ScrollBar(std::int32_t id, const SkinRect& rect, const std::array<Bytes, 11>& images,
                 std::uint32_t flags = 0);
  // type 30, 41 or 42
  void DragHandle(std::uint32_t type, std::int32_t id, const SkinRect& rect, const Bytes& first,
                  const Bytes& second, std::uint32_t flags = 0);
  void ResizeGrip(std::int32_t id, const SkinRect& rect, const Bytes& normal, const Bytes& pressed,
                  std::uint32_t flags = 0);
  // orientation 'H' horizontal, anything else vertical
  void SliderStyle(std::int32_t id, std::uint32_t key, char orientation, Color start, Color end, Color middle,
                   const Bytes& thumb, const Bytes& pressedThumb, const Bytes& track);
  // The frame count byte is the number of frames unless `countByte` is given.
  void KnobStyle(std::int32_t id, std::uint32_t key, char orientation, const Bytes& thumb,
                 const Bytes& pressedThumb, const std::vector<Bytes>& frames,
                 std::optional<std::uint32_t> countWord = std::nullopt);
  // `face` is code page 949 bytes.
  void Font(std::int32_t id, std::uint32_t slot, std::string_view face, std::int32_t width, std::int32_t height);
  void ImageSet(std::int32_t id, std::uint32_t slot, const std::array<Bytes, 11>& images);
  void StretchPiece(std::int32_t id, const Bytes& image, std::uint32_t flags = 0);
  void FixedPiece(std::int32_t id, const Bytes& image, std::uint32_t flags = 0);

  const Bytes& bytes() const { return bytes_; }

 private:
  Bytes bytes_;
  std::array<std::uint8_t, 4> extra_ = {'D', 'L', '0', '1'};
};

}  // namespace skinbuilder
