#include "player-link/Protocol.h"

#include <gtest/gtest.h>

#include "common/ByteOrder.h"

namespace playerlink {
namespace {

TEST(DeviceCommandTest, CommandBytesOfBothMedia) {
  EXPECT_EQ(CommandByte(kInternalMemoryBase, CommandCode::kFreeMemory), 0x8E);
  EXPECT_EQ(CommandByte(kCardBase, CommandCode::kTotalMemory), 0x75);
  EXPECT_EQ(CommandByte(kCardBase, CommandCode::kDirectoryInfo), 0x7B);
  EXPECT_EQ(CommandByte(kCardBase, CommandCode::kFreeMemory), 0x7E);
}

TEST(DeviceCommandTest, RequestCarriesArgumentBigEndianModeAndZero) {
  const DeviceCommand c = EncodeCommand({0x86, 300, kMode4});
  EXPECT_EQ(c[0], 0x86);
  EXPECT_EQ(c[1], 0x00);
  EXPECT_EQ(c[2], 0x00);
  EXPECT_EQ(c[3], 0x01);
  EXPECT_EQ(c[4], 0x2C);
  EXPECT_EQ(c[5], 4);
  EXPECT_EQ(c[6], 0);
  const DeviceCommand three = EncodeCommand({0x7C, 3, kMode8});
  EXPECT_EQ(common::LoadBE32(&three[1]), 3u);
  EXPECT_EQ(three[5], 8);
  EXPECT_EQ(AnswerSize(kMode4), 7u);
  EXPECT_EQ(AnswerSize(kMode8), 8u);
}

TEST(DeviceCommandTest, DecodeRefusesMalformedRequests) {
  DeviceCommand c = EncodeCommand({0x85, 0x01020304, kMode8});
  const auto r = DecodeCommand(c);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->argument, 0x01020304u);
  EXPECT_EQ(r->mode, kMode8);
  EXPECT_FALSE(DecodeCommand(std::span(c).first(6)));
  c[command::kMode] = 5;
  EXPECT_FALSE(DecodeCommand(c));
  c[command::kMode] = 4;
  c[command::kZero] = 1;
  EXPECT_FALSE(DecodeCommand(c));
}

TEST(DeviceCommandTest, AnswerDecoding) {
  const std::uint8_t answer[8] = {0x00, 0x00, 0x40, 0x00, 0, 0, 0x01, 0x02};
  EXPECT_EQ(DecodeAnswer(answer, 7).result, 16384u);
  EXPECT_EQ(DecodeAnswer(answer, 7).count, 0u);  // mode 4 has no count
  EXPECT_EQ(DecodeAnswer(answer, 8).count, 0x0102u);
  // Too short to hold the result: a failure, never the request's own bytes.
  EXPECT_EQ(DecodeAnswer(answer, 3).result, 0u);
  EXPECT_FALSE(DecodeAnswer(answer, 0).ok());

  std::uint8_t out[8] = {0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA};
  EncodeAnswer(out, kMode8, {0x11223344, 0x5566});
  EXPECT_EQ(DecodeAnswer(out, 8).result, 0x11223344u);
  EXPECT_EQ(DecodeAnswer(out, 8).count, 0x5566u);
}

TEST(BlockCountTest, HeaderPlusDataBlocks) {
  EXPECT_EQ(FileBlockCount(0), 1u);
  EXPECT_EQ(FileBlockCount(100), 2u);
  EXPECT_EQ(FileBlockCount(16384), 2u);
  EXPECT_EQ(FileBlockCount(16385), 3u);
  EXPECT_EQ(FileBlockCount(40000), 4u);
  EXPECT_EQ(FileBlockCount(kMaxFileSize), 1u + 262144u);
  EXPECT_EQ(DataBlockCount(std::uint64_t{1} << 40), std::uint64_t{1} << 26);  // no 32-bit overflow
}

TEST(FileHeaderTest, LayoutOfTheTrayClientsHeader) {
  const Block b = BuildFileHeader(40000, u"C:\\a.mp3", NameEnd::kZeroUnit);
  EXPECT_EQ(common::LoadLE32(&b[header::kSize]), 40000u);
  EXPECT_EQ(std::string(b.begin() + 4, b.begin() + 10), "t335x0");
  for (std::size_t i = 10; i < 14; ++i) EXPECT_EQ(b[i], 0xFF);
  EXPECT_EQ(common::LoadLE16(&b[header::kNameLength]), 16u);
  EXPECT_EQ(b[16], 'C');
  EXPECT_EQ(b[17], 0);
  EXPECT_EQ(common::LoadLE16(&b[16 + 16]), 0u);  // the zero unit
  EXPECT_EQ(b[34], 0xFF);
  EXPECT_EQ(b[header::kAudioInfo], 0xFF);
  EXPECT_EQ(b[kBlockSize - 1], 0xFF);
}

TEST(FileHeaderTest, TransferManagerNamesHaveNoZeroUnit) {
  const Block b = BuildFileHeader(1, u"C:\\x.mp3", NameEnd::kNone);
  EXPECT_EQ(common::LoadLE16(&b[header::kNameLength]), 16u);
  EXPECT_EQ(b[32], 0xFF);
  EXPECT_EQ(header::kLongNameUnits, 248u);
}

TEST(FileHeaderTest, NamesThatDoNotFitLoseTheirFolders) {
  EXPECT_EQ(*FitHeaderName(u"C:\\a\\b.mp3", 127), u"C:\\a\\b.mp3");
  const std::u16string deep = u"C:\\" + std::u16string(200, u'd') + u"\\song.mp3";
  EXPECT_EQ(*FitHeaderName(deep, 127), u"song.mp3");
  EXPECT_FALSE(FitHeaderName(u"C:\\" + std::u16string(128, u'n'), 127));
  EXPECT_FALSE(FitHeaderName(u"", 127));
}

TEST(FileHeaderTest, ParseRoundTripAndTag) {
  const Block b = BuildFileHeader(123456, u"D:\\music\\곡.mp3", NameEnd::kZeroUnit);
  const auto h = ParseFileHeader(b);
  ASSERT_TRUE(h);
  EXPECT_EQ(h->size, 123456u);
  EXPECT_EQ(h->name, u"D:\\music\\곡.mp3");
  EXPECT_EQ(FileNamePart(h->name), u"곡.mp3");
  EXPECT_EQ(FileNamePart(u"a/b/c"), u"c");
  EXPECT_EQ(FileNamePart(u"plain"), u"plain");

  Block bad = b;
  bad[header::kTag + 5] = '1';
  EXPECT_FALSE(ParseFileHeader(bad));
  EXPECT_FALSE(ParseFileHeader(std::span(b).first(kBlockSize - 1)));
}

TEST(FileHeaderTest, NameLengthsFromThePlayerAreClamped) {
  Block b = BuildFileHeader(5, u"abcdef", NameEnd::kNone);
  common::StoreLE16(&b[header::kNameLength], 7);  // odd: the half unit is dropped
  EXPECT_EQ(ParseFileHeader(b)->name, u"abc");

  // A length past the read area: the name stops there, zero unit kept.
  b.fill('A');
  std::copy(kHeaderTag.begin(), kHeaderTag.end(), b.begin() + header::kTag);
  common::StoreLE16(&b[header::kNameLength], 0xFFFF);
  const auto h = ParseFileHeader(b);
  ASSERT_TRUE(h);
  EXPECT_EQ(h->name.size(), (header::kReadNameArea - 2) / 2);

  // A zero unit ends the name early.
  Block z = BuildFileHeader(5, u"ab", NameEnd::kZeroUnit);
  common::StoreLE16(&z[header::kNameLength], 200);
  EXPECT_EQ(ParseFileHeader(z)->name, u"ab");
}

TEST(InfoBlockTest, IdentifierAndModelBytes) {
  const Block b = BuildInfoBlock({0x0000ABCD, 14, 0x12, 0xF0});
  EXPECT_EQ(b[0], 0xCD);
  EXPECT_EQ(b[1], 0xAB);
  const auto i = ParseInfoBlock(b);
  ASSERT_TRUE(i);
  EXPECT_EQ(IdentifierText(i->identifier), "0000ABCD");
  EXPECT_EQ(IdentifierText(0xDEADBEEF), "DEADBEEF");
  EXPECT_EQ(i->firmwareTimesTen, 14);
  EXPECT_EQ(b[8], 0x12);
  EXPECT_EQ(b[9], 0xF0);
  EXPECT_EQ(b[4], 0x0E);
  EXPECT_EQ(b[5], 0x00);
  EXPECT_EQ(ModelCodeText(*i), "F012");
  // Byte 9 first, each byte without leading zeros.
  EXPECT_EQ(ModelCodeText({0, 0, 0x10, 0xF0}), "F010");
  EXPECT_EQ(ModelCodeText({0, 0, 0x05, 0x0A}), "A5");
  EXPECT_EQ(ModelCodeText({0, 0, 0xFF, 0xFF}), "FFFF");
}

TEST(EntryNumberTest, OnlyOneToTwoHundredFiftyFive) {
  EXPECT_EQ(*ParseEntryNumber("3"), 3);
  EXPECT_EQ(*ParseEntryNumber(" 7 "), 7);
  EXPECT_EQ(*ParseEntryNumber("255"), 255);
  for (const char* bad : {"", "abc", "0", "256", "-1", "+2", "3x", "99999999999", "4294967297"}) {
    EXPECT_FALSE(ParseEntryNumber(bad)) << bad;
  }
  EXPECT_EQ(*EntryNumberFromIndex("0"), 1);
  EXPECT_EQ(*EntryNumberFromIndex("254"), 255);
  EXPECT_FALSE(EntryNumberFromIndex("255"));
  EXPECT_FALSE(EntryNumberFromIndex("x"));
  EXPECT_FALSE(EntryNumber(0));
  EXPECT_FALSE(EntryNumber(256));
}

TEST(EntryBlockTest, SelectionAndOrderBlocks) {
  const Block s = BuildSelectionBlock(3);
  EXPECT_EQ(s[0], 1);
  EXPECT_EQ(s[1], 1);
  EXPECT_EQ(s[2], 3);
  EXPECT_EQ(s[3], 0xFF);
  const auto ps = ParseEntryBlock(s);
  ASSERT_TRUE(ps);
  EXPECT_EQ(ps->kind, EntryBlock::Kind::kSelect);
  EXPECT_EQ(ps->entry, 3);

  const std::uint8_t order[] = {1, 5, 2, 3, 4, 6};
  const auto o = BuildOrderBlock(order);
  ASSERT_TRUE(o);
  const std::uint8_t expected[] = {2, 6, 1, 5, 2, 3, 4, 6};
  EXPECT_TRUE(std::equal(std::begin(expected), std::end(expected), o->begin()));
  const auto po = ParseEntryBlock(*o);
  ASSERT_TRUE(po);
  EXPECT_EQ(po->kind, EntryBlock::Kind::kReorder);
  EXPECT_EQ(po->order, std::vector<std::uint8_t>(std::begin(order), std::end(order)));

  const std::vector<std::uint8_t> tooMany(256, 1);
  EXPECT_FALSE(BuildOrderBlock(tooMany));
  Block unknown = s;
  unknown[0] = 7;
  EXPECT_FALSE(ParseEntryBlock(unknown));
}

}  // namespace
}  // namespace playerlink
