#include "tools/skin-builder/SkinWriter.h"

#include "common/ByteOrder.h"

namespace skinbuilder {

namespace fmt = vantu::skin_format;

namespace {

void Put32(Bytes& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void Put16(Bytes& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

}  // namespace

Bytes MakeBmp(int width, int height, const std::function<Color(int x, int y)>& pixel, int bitCount) {
  const std::size_t stride = static_cast<std::size_t>(
      fmt::RowStride(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(bitCount)));
  const std::size_t rows = stride * static_cast<std::size_t>(height);
  Bytes out;
  out.reserve(fmt::kBmpPixelOffset + rows);
  out.push_back('B');
  out.push_back('M');
  Put32(out, static_cast<std::uint32_t>(fmt::kBmpPixelOffset + rows));
  Put32(out, 0);
  Put32(out, static_cast<std::uint32_t>(fmt::kBmpPixelOffset));
  Put32(out, fmt::kBmpInfoHeaderSize);
  Put32(out, static_cast<std::uint32_t>(width));
  Put32(out, static_cast<std::uint32_t>(height));
  Put16(out, 1);
  Put16(out, static_cast<std::uint16_t>(bitCount));
  Put32(out, 0);  // plain RGB
  Put32(out, static_cast<std::uint32_t>(rows));
  Put32(out, 2835);  // 72 dpi
  Put32(out, 2835);
  Put32(out, 0);
  Put32(out, 0);
  const int step = bitCount / 8;
  for (int row = height - 1; row >= 0; --row) {  // bottom row first
    std::size_t written = 0;
    for (int x = 0; x < width; ++x) {
      const Color c = pixel(x, row);
      out.push_back(static_cast<std::uint8_t>(fmt::Blue(c)));
      out.push_back(static_cast<std::uint8_t>(fmt::Green(c)));
      out.push_back(static_cast<std::uint8_t>(fmt::Red(c)));
      if (step == 4) out.push_back(0);
      written += static_cast<std::size_t>(step);
    }
    for (; written < stride; ++written) out.push_back(0);
  }
  return out;
}

Bytes SolidBmp(int width, int height, Color color, int bitCount) {
  return MakeBmp(width, height, [color](int, int) { return color; }, bitCount);
}

common::Result<Bytes> NormalizeBmp(const Bytes& file) {
  if (file.size() < fmt::kBmpPixelOffset || file[0] != 'B' || file[1] != 'M') {
    return common::Error{0, "not a BMP file"};
  }
  const std::uint8_t* info = file.data() + fmt::kBmpFileHeaderSize;
  const std::uint32_t headerSize = common::LoadLE32(info + fmt::kBiSize);
  const auto width = static_cast<std::int32_t>(common::LoadLE32(info + fmt::kBiWidth));
  const auto height = static_cast<std::int32_t>(common::LoadLE32(info + fmt::kBiHeight));
  const std::uint16_t bits = common::LoadLE16(info + fmt::kBiBitCount);
  const std::uint32_t compression = common::LoadLE32(info + fmt::kBiCompression);
  const std::uint32_t offBits = common::LoadLE32(file.data() + fmt::kBfOffBits);
  if (headerSize < fmt::kBmpInfoHeaderSize) return common::Error{0, "BMP header too small"};
  if (width <= 0 || height <= 0) return common::Error{0, "BMP must be bottom-up with a positive size"};
  if (bits != 24 && bits != 32) return common::Error{0, "BMP must have 24 or 32 bits per pixel"};
  // 32-bit files with the standard masks are plain RGB as well.
  if (compression != 0 && !(compression == 3 && bits == 32)) {
    return common::Error{0, "BMP must be uncompressed"};
  }
  const std::uint64_t rows = fmt::RowStride(static_cast<std::uint32_t>(width), bits) *
                             static_cast<std::uint64_t>(height);
  if (offBits > file.size() || rows > file.size() - offBits) return common::Error{0, "BMP pixel rows cut short"};
  const std::uint8_t* pixels = file.data() + offBits;
  const int step = bits / 8;
  const std::size_t stride = static_cast<std::size_t>(fmt::RowStride(static_cast<std::uint32_t>(width), bits));
  return MakeBmp(
      width, height,
      [&](int x, int y) {
        const std::uint8_t* p = pixels + stride * static_cast<std::size_t>(height - 1 - y) +
                                static_cast<std::size_t>(x * step);
        return Rgb(p[2], p[1], p[0]);
      },
      bits);
}

// --- Payload ---

Payload& Payload::U32(std::uint32_t v) {
  Put32(bytes_, v);
  return *this;
}
Payload& Payload::Rect(const SkinRect& r) { return S32(r.left).S32(r.top).S32(r.right).S32(r.bottom); }
Payload& Payload::ColorWords(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
  return U32(red).U32(green).U32(blue);
}
Payload& Payload::Color(skinbuilder::Color c) {
  return ColorWords(static_cast<std::uint32_t>(fmt::Red(c)), static_cast<std::uint32_t>(fmt::Green(c)),
                    static_cast<std::uint32_t>(fmt::Blue(c)));
}
Payload& Payload::Raw(const Bytes& bytes) {
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  return *this;
}
Payload& Payload::Raw(std::string_view bytes) {
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  return *this;
}
Payload& Payload::Counted(std::string_view bytes) {
  U32(static_cast<std::uint32_t>(bytes.size()));
  return Raw(bytes);
}
Payload& Payload::Image(const Bytes& bmp) {
  U32(static_cast<std::uint32_t>(bmp.size()));
  return Raw(bmp);
}

// --- Writer ---

void SkinWriter::Record(std::uint32_t type, std::int32_t id, std::uint32_t flags, const Payload& payload,
                        std::optional<std::uint32_t> declaredLength) {
  bytes_.insert(bytes_.end(), std::begin(fmt::kTagMagic), std::end(fmt::kTagMagic));
  bytes_.insert(bytes_.end(), extra_.begin(), extra_.end());
  Put32(bytes_, type);
  Put32(bytes_, static_cast<std::uint32_t>(id));
  Put32(bytes_, flags);
  Put32(bytes_, declaredLength.value_or(static_cast<std::uint32_t>(payload.bytes().size())));
  Raw(payload.bytes());
}

void SkinWriter::Raw(const Bytes& bytes) { bytes_.insert(bytes_.end(), bytes.begin(), bytes.end()); }

void SkinWriter::Frame(std::int32_t number, const SkinRect& rect, const Bytes& image, std::uint32_t flags) {
  Record(fmt::kFrameBackground, number, flags, Payload().Rect(rect).Image(image));
}

void SkinWriter::HeaderOnly(std::int32_t id, std::uint32_t declaredLength) {
  Record(fmt::kHeaderOnly, id, 0, Payload(), declaredLength);
}

void SkinWriter::PushButton(std::int32_t id, const SkinRect& rect, const Bytes& normal, const Bytes& pressed,
                            std::uint32_t flags) {
  Record(fmt::kPushButton, id, flags, Payload().Rect(rect).Image(normal).Image(pressed));
}

void SkinWriter::ToggleButton(std::int32_t id, const SkinRect& rect, const Bytes& onNormal,
                              const Bytes& onPressed, const Bytes& offNormal, const Bytes& offPressed,
                              std::uint32_t flags) {
  Record(fmt::kToggleButton, id, flags,
         Payload().Rect(rect).Image(onNormal).Image(onPressed).Image(offNormal).Image(offPressed));
}

void SkinWriter::PositionSlider(std::int32_t id, std::uint32_t styleKey, const SkinRect& rect,
                                const SkinRect& fill, std::uint32_t flags) {
  Record(fmt::kPositionSlider, id, flags, Payload().U32(styleKey).Rect(rect).Rect(fill));
}

void SkinWriter::ValueSlider(std::int32_t id, std::uint32_t knobKey, const SkinRect& rect, std::uint32_t flags) {
  Record(fmt::kValueSlider, id, flags, Payload().U32(knobKey).Rect(rect));
}

void SkinWriter::ImageCounter(std::int32_t id, std::uint32_t setSlot, const SkinRect& rect, std::uint32_t flags) {
  Record(fmt::kImageCounter, id, flags, Payload().U32(setSlot).Rect(rect).Color(0).Color(0));
}

void SkinWriter::NumberField(std::int32_t id, std::uint32_t fontSlot, const SkinRect& rect, Color text,
                             Color back, std::uint32_t flags) {
  Record(fmt::kNumberField, id, flags, Payload().U32(fontSlot).Rect(rect).Color(text).Color(back));
}

void SkinWriter::ImageSelector(std::int32_t id, const SkinRect& rect, const std::vector<Bytes>& images,
                               std::uint32_t flags) {
  Payload p;
  p.U32(static_cast<std::uint32_t>(images.size())).Rect(rect);
  for (const auto& image : images) p.Image(image);
  Record(fmt::kImageSelector, id, flags, p);
}

void SkinWriter::TextField(std::int32_t id, std::uint32_t fontSlot, const SkinRect& rect, Color text,
                           Color back, std::uint32_t flags) {
  Record(fmt::kTextField, id, flags, Payload().U32(fontSlot).Rect(rect).Color(text).Color(back));
}

void SkinWriter::IconMenuButton(std::int32_t id, const SkinRect& rect, const Bytes& button,
                                const Bytes& pressed, const Bytes& side, const std::vector<MenuItem>& items,
                                std::uint32_t flags) {
  Payload p;
  p.U32(static_cast<std::uint32_t>(items.size())).Rect(rect).Image(button).Image(pressed).Image(side);
  for (const auto& item : items) p.S32(item.action).Image(item.image).Image(item.highlighted);
  Record(fmt::kIconMenuButton, id, flags, p);
}

void SkinWriter::ListStyle(std::int32_t id, std::string_view face, std::int32_t fontWidth,
                           std::int32_t fontHeight, const SkinRect& rect, const std::array<Color, 8>& colors,
                           std::uint32_t flags) {
  Payload p;
  p.Counted(face).S32(fontWidth).S32(fontHeight).Rect(rect);
  for (Color c : colors) p.Color(c);
  Record(fmt::kListStyle, id, flags, p);
}

void SkinWriter::ScrollBar(std::int32_t id, const SkinRect& rect, const std::array<Bytes, 11>& images,
                           std::uint32_t flags) {
  Payload p;
  p.Rect(rect);
  for (const auto& image : images) p.Image(image);
  Record(fmt::kScrollBar, id, flags, p);
}

void SkinWriter::DragHandle(std::uint32_t type, std::int32_t id, const SkinRect& rect, const Bytes& first,
                            const Bytes& second, std::uint32_t flags) {
  Record(type, id, flags, Payload().Rect(rect).Image(first).Image(second));
}

void SkinWriter::ResizeGrip(std::int32_t id, const SkinRect& rect, const Bytes& normal, const Bytes& pressed,
                            std::uint32_t flags) {
  Record(fmt::kResizeGrip, id, flags, Payload().Rect(rect).Image(normal).Image(pressed));
}

void SkinWriter::SliderStyle(std::int32_t id, std::uint32_t key, char orientation, Color start, Color end,
                             Color middle, const Bytes& thumb, const Bytes& pressedThumb, const Bytes& track) {
  Record(fmt::kSliderStyle, id, 0,
         Payload()
             .U32(key)
             .U32(static_cast<std::uint8_t>(orientation))
             .Color(start)
             .Color(end)
             .Color(middle)
             .Image(thumb)
             .Image(pressedThumb)
             .Image(track));
}

void SkinWriter::KnobStyle(std::int32_t id, std::uint32_t key, char orientation, const Bytes& thumb,
                           const Bytes& pressedThumb, const std::vector<Bytes>& frames,
                           std::optional<std::uint32_t> countWord) {
  Payload p;
  p.U32(key)
      .U32(countWord.value_or(static_cast<std::uint32_t>(frames.size())))
      .U32(static_cast<std::uint8_t>(orientation))
      .Image(thumb)
      .Image(pressedThumb);
  for (const auto& frame : frames) p.Image(frame);
  Record(fmt::kKnobStyle, id, 0, p);
}

void SkinWriter::Font(std::int32_t id, std::uint32_t slot, std::string_view face, std::int32_t width,
                      std::int32_t height) {
  Record(fmt::kFontDefinition, id, 0, Payload().U32(slot).Counted(face).S32(width).S32(height));
}

void SkinWriter::ImageSet(std::int32_t id, std::uint32_t slot, const std::array<Bytes, 11>& images) {
  Payload p;
  p.U32(slot);
  for (const auto& image : images) p.Image(image);
  Record(fmt::kImageSet, id, 0, p);
}

void SkinWriter::StretchPiece(std::int32_t id, const Bytes& image, std::uint32_t flags) {
  Record(fmt::kStretchPiece, id, flags, Payload().Image(image));
}

void SkinWriter::FixedPiece(std::int32_t id, const Bytes& image, std::uint32_t flags) {
  Record(fmt::kFixedPiece, id, flags, Payload().Image(image));
}

}  // namespace skinbuilder
