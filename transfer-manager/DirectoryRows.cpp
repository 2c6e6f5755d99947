#include "transfer-manager/DirectoryRows.h"

#include "common/TextCodec.h"
#include "player-link/Protocol.h"
#include "transfer-manager/modCommon.h"

namespace halvern {

bool IsAbnormalBlock(std::span<const std::uint8_t> block) { return block.size() > 3 && block[3] == 0xFF; }

std::string NameText(std::u16string_view name) {
  std::u16string clean(name);
  for (std::size_t i = 0; i < clean.size(); ++i) {
    const char16_t c = clean[i];
    const bool high = c >= 0xD800 && c <= 0xDBFF;
    const bool low = c >= 0xDC00 && c <= 0xDFFF;
    if (high && i + 1 < clean.size() && clean[i + 1] >= 0xDC00 && clean[i + 1] <= 0xDFFF) {
      ++i;  // a whole pair
    } else if (high || low) {
      clean[i] = u'?';
    }
  }
  auto utf8 = common::Utf16ToUtf8(clean);
  return utf8 ? *utf8 : std::string();
}

std::optional<DeviceRow> DeviceRowOf(std::span<const std::uint8_t> block, unsigned number) {
  const auto header = playerlink::ParseFileHeader(block);
  if (!header) return std::nullopt;
  DeviceRow row;
  row.caption = NameText(playerlink::FileNamePart(header->name));
  const std::string order = std::to_string(number);
  row.subItems = {SizeText(header->size), NameText(header->name), std::to_string(header->size), order, order, ""};
  return row;
}

}  // namespace halvern
