// JPEG pictures through the JPEG library (libjpeg-turbo). Its fatal errors
// jump back here instead of ending the process; its warnings are dropped.
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

#include "platform/gui/Picture.h"

namespace gui {

namespace {

struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void ExitOnError(j_common_ptr info) {
  auto* manager = reinterpret_cast<ErrorManager*>(info->err);
  (*info->err->format_message)(info, manager->message);
  std::longjmp(manager->jump, 1);
}

void DropMessage(j_common_ptr, int) {}

// Decodes into `out`; false with the library's message on failure. Only
// objects made before setjmp live in this frame.
bool Decode(std::span<const std::uint8_t> bytes, Bitmap& out, ErrorManager& errors, std::vector<JSAMPLE>& row) {
  jpeg_decompress_struct info{};
  info.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = ExitOnError;
  errors.base.emit_message = DropMessage;
  errors.message[0] = '\0';
  if (setjmp(errors.jump)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&info, TRUE);
  if (info.image_width == 0 || info.image_height == 0 || info.image_width > Dib::kMaxSide ||
      info.image_height > Dib::kMaxSide ||
      static_cast<std::uint64_t>(info.image_width) * info.image_height > Bitmap::kMaxPixels) {
    std::snprintf(errors.message, sizeof errors.message, "picture too large");
    jpeg_destroy_decompress(&info);
    return false;
  }
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  out = Bitmap(static_cast<int>(info.output_width), static_cast<int>(info.output_height));
  row.resize(static_cast<std::size_t>(info.output_width) * 3);
  while (info.output_scanline < info.output_height) {
    const int y = static_cast<int>(info.output_scanline);
    JSAMPROW rows[1] = {row.data()};
    jpeg_read_scanlines(&info, rows, 1);
    for (int x = 0; x < out.Width(); ++x) {
      const JSAMPLE* p = row.data() + static_cast<std::size_t>(x) * 3;
      out.SetPixel(x, y, Rgb(p[0], p[1], p[2]));
    }
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

}  // namespace

common::Result<Bitmap> detail::DecodeJpeg(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < 3) return common::Error{20, "JPEG data too short"};
  Bitmap out;
  ErrorManager errors{};
  std::vector<JSAMPLE> row;
  if (!Decode(bytes, out, errors, row)) return common::Error{21, std::string("JPEG: ") + errors.message};
  return out;
}

}  // namespace gui

namespace gui::detail {

// Programs built for Linux have no resources: their pictures are files or
// registered bytes.
std::optional<std::span<const std::uint8_t>> ProgramResource(const std::string&) { return std::nullopt; }

}  // namespace gui::detail
