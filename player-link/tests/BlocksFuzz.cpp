// libFuzzer target: the parsers of what the player sends and of what the
// simulated player receives. The first byte picks the parser; the rest is
// the block (padded to a whole block where a parser needs one).
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "player-link/Protocol.h"

using namespace playerlink;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t which = data[0];
  std::span<const std::uint8_t> rest(data + 1, size - 1);
  Block block;
  block.fill(header::kFill);
  std::memcpy(block.data(), rest.data(), std::min(rest.size(), block.size()));

  switch (which % 5) {
    case 0: {
      const auto h = ParseFileHeader(block);
      if (h) {
        if (h->name.size() * 2 > header::kReadNameArea - 2) std::abort();
        if (h->name.find(u'\0') != std::u16string::npos) std::abort();
        const auto part = FileNamePart(h->name);
        if (part.size() > h->name.size()) std::abort();
        // What the tray client would write back parses to the same name.
        if (const auto fitted = FitHeaderName(h->name, header::kShortNameUnits)) {
          const auto again = ParseFileHeader(BuildFileHeader(h->size, *fitted, NameEnd::kZeroUnit));
          if (!again || again->name != *fitted || again->size != h->size) std::abort();
        }
      }
      (void)ParseFileHeader(rest);  // short input
      break;
    }
    case 1:
      if (const auto i = ParseInfoBlock(block)) {
        if (IdentifierText(i->identifier).size() != 8) std::abort();
      }
      break;
    case 2:
      if (const auto e = ParseEntryBlock(block)) {
        if (e->kind == EntryBlock::Kind::kReorder) {
          const auto built = BuildOrderBlock(e->order);
          if (!built || ParseEntryBlock(*built)->order != e->order) std::abort();
        }
      }
      (void)ParseEntryBlock(rest);
      break;
    case 3: {
      const auto r = DecodeCommand(rest);
      if (r && EncodeCommand(*r)[command::kCommandByte] != rest[0]) std::abort();
      const auto a = DecodeAnswer(rest, rest.size());
      if (rest.size() < 4 && a.result != 0) std::abort();
      break;
    }
    case 4: {
      const std::string_view text(reinterpret_cast<const char*>(rest.data()), rest.size());
      if (const auto n = ParseEntryNumber(text); n && *n == 0) std::abort();
      if (const auto n = EntryNumberFromIndex(text); n && *n == 0) std::abort();
      break;
    }
  }
  return 0;
}
