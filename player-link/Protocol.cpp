#include "player-link/Protocol.h"

#include <algorithm>
#include <cstdio>

#include "common/ByteOrder.h"

namespace playerlink {

DeviceCommand EncodeCommand(const CommandRequest& request) {
  DeviceCommand c{};
  c[command::kCommandByte] = request.commandByte;
  common::StoreBE32(&c[command::kArgument], request.argument);
  c[command::kMode] = request.mode;
  c[command::kZero] = 0;
  return c;
}

std::optional<CommandRequest> DecodeCommand(std::span<const std::uint8_t> request) {
  if (request.size() < command::kRequestSize) return std::nullopt;
  CommandRequest r;
  r.commandByte = request[command::kCommandByte];
  r.argument = common::LoadBE32(&request[command::kArgument]);
  r.mode = request[command::kMode];
  if (!IsValidMode(r.mode) || request[command::kZero] != 0) return std::nullopt;
  return r;
}

CommandAnswer DecodeAnswer(std::span<const std::uint8_t> buffer, std::size_t returned) {
  const std::size_t n = std::min(returned, buffer.size());
  CommandAnswer a;
  if (n < command::kResult + 4) return a;
  a.result = common::LoadBE32(&buffer[command::kResult]);
  if (n >= command::kCount + 2) a.count = common::LoadBE16(&buffer[command::kCount]);
  return a;
}

void EncodeAnswer(std::span<std::uint8_t> buffer, std::uint8_t mode, const CommandAnswer& answer) {
  const std::size_t n = std::min(AnswerSize(mode), buffer.size());
  std::uint8_t out[command::kBufferSize] = {};
  common::StoreBE32(&out[command::kResult], answer.result);
  if (mode == kMode8) common::StoreBE16(&out[command::kCount], answer.count);
  std::copy_n(out, n, buffer.begin());
}

Block BuildFileHeader(std::uint32_t size, std::u16string_view name, NameEnd end) {
  Block b;
  b.fill(header::kFill);
  common::StoreLE32(&b[header::kSize], size);
  std::copy(kHeaderTag.begin(), kHeaderTag.end(), b.begin() + header::kTag);
  const std::size_t room = (kBlockSize - header::kName) / 2 - (end == NameEnd::kZeroUnit ? 1 : 0);
  const std::size_t units = std::min(name.size(), room);
  common::StoreLE16(&b[header::kNameLength], static_cast<std::uint16_t>(units * 2));
  std::size_t at = header::kName;
  for (std::size_t i = 0; i < units; ++i, at += 2) common::StoreLE16(&b[at], name[i]);
  if (end == NameEnd::kZeroUnit) common::StoreLE16(&b[at], 0);
  return b;
}

Block BuildAudioFileHeader(std::uint32_t size, std::u16string_view name, const AudioInfo& info) {
  Block b = BuildFileHeader(size, name.substr(0, std::min(name.size(), header::kLongNameUnits)), NameEnd::kNone);
  common::StoreLE16(&b[audio::kSeconds], info.seconds);
  common::StoreLE16(&b[audio::kByteRate], info.byteRate);
  common::StoreLE16(&b[audio::kFormat], audio::kFormatValue);
  b[audio::kKind] = static_cast<std::uint8_t>(info.kind);
  return b;
}

AudioInfo ParseAudioInfo(const Block& block) {
  AudioInfo info;
  info.seconds = common::LoadLE16(&block[audio::kSeconds]);
  info.byteRate = common::LoadLE16(&block[audio::kByteRate]);
  info.kind = static_cast<FileKind>(block[audio::kKind]);
  return info;
}

std::u16string_view FileNamePart(std::u16string_view name) {
  const auto cut = name.find_last_of(u"\\/");
  return cut == std::u16string_view::npos ? name : name.substr(cut + 1);
}

std::optional<std::u16string> FitHeaderName(std::u16string_view name, std::size_t maxUnits) {
  if (name.empty()) return std::nullopt;
  if (name.size() <= maxUnits) return std::u16string(name);
  const std::u16string_view part = FileNamePart(name);
  if (part.empty() || part.size() > maxUnits) return std::nullopt;
  return std::u16string(part);
}

bool HasHeaderTag(std::span<const std::uint8_t> block) {
  return common::Fits(block.size(), header::kTag, header::kTagLength) &&
         std::equal(kHeaderTag.begin(), kHeaderTag.end(), block.begin() + header::kTag);
}

std::optional<FileHeader> ParseFileHeader(std::span<const std::uint8_t> block) {
  if (block.size() < kBlockSize || !HasHeaderTag(block)) return std::nullopt;
  FileHeader h;
  h.size = common::LoadLE32(&block[header::kSize]);
  std::size_t bytes = common::LoadLE16(&block[header::kNameLength]);
  // The read area keeps one zero unit at its end; the block bounds it too.
  bytes = std::min({bytes, header::kReadNameArea - 2, kBlockSize - header::kName});
  bytes &= ~std::size_t{1};
  for (std::size_t at = header::kName; at < header::kName + bytes; at += 2) {
    const char16_t unit = common::LoadLE16(&block[at]);
    if (unit == 0) break;
    h.name.push_back(unit);
  }
  return h;
}

Block BuildInfoBlock(const InfoBlock& info) {
  Block b;
  b.fill(header::kFill);
  common::StoreLE32(&b[info::kIdentifier], info.identifier);
  common::StoreLE16(&b[info::kFirmware], info.firmwareTimesTen);
  b[info::kModelLow] = info.modelLow;
  b[info::kModelHigh] = info.modelHigh;
  return b;
}

std::optional<InfoBlock> ParseInfoBlock(std::span<const std::uint8_t> block) {
  if (block.size() < kBlockSize) return std::nullopt;
  InfoBlock i;
  i.identifier = common::LoadLE32(&block[info::kIdentifier]);
  i.firmwareTimesTen = common::LoadLE16(&block[info::kFirmware]);
  i.modelLow = block[info::kModelLow];
  i.modelHigh = block[info::kModelHigh];
  return i;
}

std::string IdentifierText(std::uint32_t identifier) {
  char text[9];
  std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(identifier));
  return text;
}

std::string ModelCodeText(const InfoBlock& info) {
  char text[5];
  std::snprintf(text, sizeof text, "%X%X", static_cast<unsigned>(info.modelHigh), static_cast<unsigned>(info.modelLow));
  return text;
}

std::optional<std::uint8_t> EntryNumber(std::uint64_t value) {
  if (value < 1 || value > kHighestEntryNumber) return std::nullopt;
  return static_cast<std::uint8_t>(value);
}

namespace {
// A decimal number with blanks around it; nothing for anything else.
std::optional<std::uint64_t> ParseDecimal(std::string_view text) {
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  if (text.empty() || text.size() > 10) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  return value;
}
}  // namespace

std::optional<std::uint8_t> ParseEntryNumber(std::string_view text) {
  const auto value = ParseDecimal(text);
  return value ? EntryNumber(*value) : std::nullopt;
}

std::optional<std::uint8_t> EntryNumberFromIndex(std::string_view text) {
  const auto value = ParseDecimal(text);
  return value ? EntryNumber(*value + 1) : std::nullopt;
}

Block BuildSelectionBlock(std::uint8_t entry) {
  Block b;
  b.fill(header::kFill);
  b[entryblock::kKind] = entryblock::kSelect;
  b[entryblock::kSelectFlag] = 1;
  b[entryblock::kSelectEntry] = entry;
  return b;
}

std::optional<Block> BuildOrderBlock(std::span<const std::uint8_t> order) {
  if (order.size() > kHighestEntryNumber) return std::nullopt;
  Block b;
  b.fill(header::kFill);
  b[entryblock::kKind] = entryblock::kReorder;
  b[entryblock::kOrderCount] = static_cast<std::uint8_t>(order.size());
  std::copy(order.begin(), order.end(), b.begin() + entryblock::kOrderEntries);
  return b;
}

std::optional<EntryBlock> ParseEntryBlock(std::span<const std::uint8_t> block) {
  if (block.size() < kBlockSize) return std::nullopt;
  EntryBlock e;
  switch (block[entryblock::kKind]) {
    case entryblock::kSelect:
      if (block[entryblock::kSelectFlag] != 1) return std::nullopt;
      e.kind = EntryBlock::Kind::kSelect;
      e.entry = block[entryblock::kSelectEntry];
      return e;
    case entryblock::kReorder: {
      e.kind = EntryBlock::Kind::kReorder;
      const std::size_t n = block[entryblock::kOrderCount];
      e.order.assign(block.begin() + entryblock::kOrderEntries,
                     block.begin() + entryblock::kOrderEntries + n);
      return e;
    }
    default:
      return std::nullopt;
  }
}

}  // namespace playerlink
