#include "platform/gui/Cursor.h"

#include <algorithm>

#include "common/ByteOrder.h"
#include "platform/gui/Application.h"

namespace gui {

namespace {
bool busy = false;
}

void SetBusyCursor(bool on) {
  busy = on;
  if (Application::Exists()) App().backend().SetBusyCursor(on);
}

bool BusyCursor() { return busy; }

}  // namespace gui

namespace gui {

namespace {
constexpr std::size_t kDirectorySize = 6;
constexpr std::size_t kEntrySize = 16;
constexpr std::size_t kMinImageBytes = 40;  // a bitmap information header at least
}  // namespace

std::shared_ptr<const MousePointer> PointerResource(std::string name) {
  auto pointer = std::make_shared<MousePointer>();
  pointer->name_ = std::move(name);
  return pointer;
}

common::Result<std::shared_ptr<const MousePointer>> DecodePointer(std::span<const std::uint8_t> bytes,
                                                                  std::string name) {
  if (bytes.size() > MousePointer::kMaxFileBytes) return common::Error{20, "pointer file too large"};
  if (bytes.size() < kDirectorySize + kEntrySize) return common::Error{21, "not a pointer file"};
  const std::uint16_t reserved = common::LoadLE16(bytes.data());
  const std::uint16_t type = common::LoadLE16(bytes.data() + 2);
  const std::uint16_t count = common::LoadLE16(bytes.data() + 4);
  if (reserved != 0 || (type != 1 && type != 2)) return common::Error{21, "not a pointer file"};
  if (count == 0 || count > MousePointer::kMaxImages || kDirectorySize + count * kEntrySize > bytes.size()) {
    return common::Error{22, "pointer file: damaged directory"};
  }
  const std::uint8_t* entry = bytes.data() + kDirectorySize;
  const std::uint32_t size = common::LoadLE32(entry + 8);
  const std::uint32_t offset = common::LoadLE32(entry + 12);
  if (size < kMinImageBytes || offset < kDirectorySize + count * kEntrySize || offset > bytes.size() ||
      size > bytes.size() - offset) {
    return common::Error{23, "pointer file: image outside the file"};
  }
  auto pointer = std::make_shared<MousePointer>();
  pointer->name_ = std::move(name);
  pointer->bytes_.assign(bytes.begin(), bytes.end());
  pointer->imageOffset_ = offset;
  pointer->imageSize_ = size;
  pointer->width_ = entry[0] == 0 ? 256 : entry[0];
  pointer->height_ = entry[1] == 0 ? 256 : entry[1];
  if (type == 2) {
    pointer->hotX_ = std::min<int>(common::LoadLE16(entry + 4), pointer->width_ - 1);
    pointer->hotY_ = std::min<int>(common::LoadLE16(entry + 6), pointer->height_ - 1);
  } else {
    pointer->hotX_ = pointer->width_ / 2;
    pointer->hotY_ = pointer->height_ / 2;
  }
  return std::shared_ptr<const MousePointer>(std::move(pointer));
}

common::Result<std::shared_ptr<const MousePointer>> LoadPointer(const common::Path& path) {
  auto data = common::ReadWholeFile(path, MousePointer::kMaxFileBytes);
  if (!data) return data.error();
  return DecodePointer(std::span(reinterpret_cast<const std::uint8_t*>(data->data()), data->size()),
                       common::PathToUtf8(path));
}

}  // namespace gui
