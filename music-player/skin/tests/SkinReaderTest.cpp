// The skin file reader: records, tables, and what it does with files that
// are short, damaged or made to mislead it.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <filesystem>

#include "common/File.h"
#include "music-player/skin/tests/SkinTestSupport.h"

namespace vantu {
namespace {

using namespace testing;
namespace fmt = skin_format;
using skinbuilder::Payload;
using skinbuilder::SkinWriter;

SkinWriter FrameOne() {
  SkinWriter w;
  w.Frame(1, {0, 0, 20, 10}, Picture(20, 10, 1));
  return w;
}

TEST(SkinReader, MissingEmptyAndForeignFiles) {
  PlayerSettings settings;
  CSkin skin(settings);
  const auto dir = std::filesystem::temp_directory_path() / "skin-reader-test";
  std::filesystem::create_directories(dir);
  EXPECT_EQ(skin.LoadSkin(dir / "absent.Mpt"), 0);

  ASSERT_TRUE(common::WriteFileAtomically(dir / "empty.Mpt", {}));
  EXPECT_EQ(skin.LoadSkin(dir / "empty.Mpt"), 0);

  const std::string foreign = "BM not a skin at all, but long enough for a header";
  ASSERT_TRUE(common::WriteFileAtomically(
      dir / "foreign.Mpt", {reinterpret_cast<const std::uint8_t*>(foreign.data()), foreign.size()}));
  EXPECT_EQ(skin.LoadSkin(dir / "foreign.Mpt"), 1);
  EXPECT_TRUE(skin.report().badTag);
  for (int i = 0; i < fmt::kFrameSlots; ++i) EXPECT_EQ(skin.Frame(i), nullptr);

  SkinWriter w = FrameOne();
  ASSERT_TRUE(common::WriteFileAtomically(dir / "good.Mpt", w.bytes()));
  EXPECT_EQ(skin.LoadSkin(dir / "good.Mpt"), 1);
  ASSERT_NE(skin.Frame(0), nullptr);
  EXPECT_EQ(skin.Frame(0)->size(), 1u);
  std::filesystem::remove_all(dir);
}

TEST(SkinReader, UnlistedTypesAndHeaderOnlyRecords) {
  SkinWriter w = FrameOne();
  w.Record(12, 5, 0, Payload().Raw(Bytes(20, 0xAB)));  // skipped by exactly its 20 bytes
  w.HeaderOnly(6, 8);                                 // the 8 is not used
  w.PushButton(101, {0, 0, 4, 4}, Picture(4, 4, 2), Picture(4, 4, 3));
  w.SetTagExtra({0xFF, 0x00, 0x7F, 0x80});            // the free bytes may hold anything
  w.PushButton(102, {4, 0, 8, 4}, Picture(4, 4, 2), Picture(4, 4, 3));
  LoadedSkin s(w.bytes());
  EXPECT_EQ(s.skin->ParseSkin(), 1);
  EXPECT_EQ(s.skin->report().skippedUnknown, 1);
  ASSERT_NE(s.frame(1), nullptr);
  ASSERT_EQ(s.frame(1)->size(), 3u);
  EXPECT_EQ((*s.frame(1))[1]->id, 101);
  EXPECT_EQ((*s.frame(1))[2]->id, 102);
}

TEST(SkinReader, DuplicateFrameKeepsTheFirstListAndGoesOnInTheCurrentOne) {
  SkinWriter w;
  w.Frame(3, {0, 0, 10, 10}, Picture(10, 10, 1));
  w.PushButton(101, {0, 0, 4, 4}, Picture(4, 4, 2), Picture(4, 4, 3));
  w.Frame(3, {0, 0, 12, 12}, Picture(12, 12, 4));
  w.PushButton(102, {0, 0, 4, 4}, Picture(4, 4, 2), Picture(4, 4, 3));
  LoadedSkin s(w.bytes());
  EXPECT_EQ(s.messages, std::vector<std::string>{"동일한 프레임존재함"});
  ASSERT_NE(s.frame(3), nullptr);
  const auto& list = *s.frame(3);
  ASSERT_EQ(list.size(), 4u);
  EXPECT_EQ(list[0]->type, fmt::kFrameBackground);
  EXPECT_EQ(list[2]->type, fmt::kFrameBackground);
  EXPECT_EQ(list[3]->id, 102);
  for (int i = 0; i < fmt::kFrameSlots; ++i) {
    if (i != 2) {
      EXPECT_EQ(s.skin->Frame(i), nullptr) << i;
    }
  }
}

TEST(SkinReader, RecordsWithoutASlotAreNotStored) {
  SkinWriter w;
  // Before any frame, in frames numbered 0 and 31, and in slots beyond 49.
  w.PushButton(101, {0, 0, 4, 4}, Picture(4, 4, 2), Picture(4, 4, 3));
  w.Frame(0, {0, 0, 4, 4}, Picture(4, 4, 1));
  w.PushButton(102, {0, 0, 4, 4}, Picture(4, 4, 2), Picture(4, 4, 3));
  w.Frame(31, {0, 0, 4, 4}, Picture(4, 4, 1));
  w.PushButton(103, {0, 0, 4, 4}, Picture(4, 4, 2), Picture(4, 4, 3));
  w.Font(1, 50, "Face", 0, 12);
  w.Font(1, 0xFFFFFFFF, "Face", 0, 12);
  std::array<Bytes, 11> digits;
  for (auto& d : digits) d = Picture(3, 5, 9);
  w.ImageSet(2, 50, digits);
  w.Frame(30, {0, 0, 4, 4}, Picture(4, 4, 1));
  w.NumberField(511, 50, {0, 0, 10, 10}, Rgb(1, 2, 3), Rgb(4, 5, 6));
  w.ImageCounter(501, 4000000000u, {0, 0, 10, 10});
  LoadedSkin s(w.bytes());
  EXPECT_EQ(s.skin->ParseSkin(), 1);
  EXPECT_EQ(s.skin->report().withoutFrame, 5);  // the two frames and three buttons
  EXPECT_EQ(s.skin->report().badFrameNumbers, 2);
  EXPECT_EQ(s.skin->report().badSlots, 3);
  for (int i = 0; i < fmt::kFontSlots; ++i) EXPECT_EQ(s.skin->Font(i), nullptr);
  ASSERT_NE(s.frame(30), nullptr);
  ASSERT_EQ(s.frame(30)->size(), 3u);
  auto* field = FindElementAs<CSkinNumberField>(s.frame(30), 511);
  ASSERT_NE(field, nullptr);
  EXPECT_EQ(field->font(), nullptr);
  auto* counter = FindElementAs<CSkinImageCounter>(s.frame(30), 501);
  ASSERT_NE(counter, nullptr);
  EXPECT_EQ(counter->imageSet(), nullptr);
  // Drawing them without a font or image set is safe.
  gui::PixelCanvas canvas(20, 20);
  field->SetNumber(canvas, 42);
  counter->SetNumber(canvas, 42);
  ASSERT_EQ(canvas.Texts().size(), 1u);
  EXPECT_TRUE(canvas.Texts()[0].font.face.empty());
}

TEST(SkinReader, FontNamesUpTo127Bytes) {
  SkinWriter w;
  w.Font(1, 3, std::string(127, 'A'), 6, -12);
  w.Font(2, 4, std::string(128, 'B'), 6, -12);
  w.Font(3, 5, "\xB1\xBC\xB8\xB2", 0, -11);  // "굴림" in code page 949
  LoadedSkin s(w.bytes());
  EXPECT_EQ(s.messages, std::vector<std::string>{"Font Name ERROR!"});
  EXPECT_FALSE(s.skin->report().truncated || s.skin->report().badTag);
  ASSERT_NE(s.skin->Font(3), nullptr);
  EXPECT_EQ(s.skin->Font(3)->face, std::string(127, 'A'));
  EXPECT_EQ(s.skin->Font(3)->height, -12);
  EXPECT_EQ(s.skin->Font(4), nullptr);
  ASSERT_NE(s.skin->Font(5), nullptr);  // the record after the refused one reads normally
  EXPECT_EQ(s.skin->Font(5)->spec.face, "굴림");
  EXPECT_EQ(s.skin->Font(5)->spec.height, -11);
}

TEST(SkinReader, ColoursTakeTheLowByteOfEachWord) {
  SkinWriter w = FrameOne();
  w.Record(fmt::kNumberField, 511, 0,
           Payload().U32(0).Rect({0, 0, 5, 5}).ColorWords(0x1FF, 0x100, 0x80).ColorWords(1, 2, 3));
  LoadedSkin s(w.bytes());
  auto* field = FindElementAs<CSkinNumberField>(s.frame(1), 511);
  ASSERT_NE(field, nullptr);
  EXPECT_EQ(field->textColor, Rgb(255, 0, 128));
  EXPECT_EQ(field->backColor, Rgb(1, 2, 3));
}

TEST(SkinReader, CoordinatesOutsideTheSixteenBitRangeAreHeldAtItsEdges) {
  SkinWriter w = FrameOne();
  w.PushButton(101, {INT32_MIN, -32769, 32768, INT32_MAX}, Picture(4, 4, 2), Picture(4, 4, 3));
  w.PushButton(102, {-32768, -1, 32767, 0}, Picture(4, 4, 2), Picture(4, 4, 3));  // the edges themselves
  w.PushButton(103, {-70000, 100000, 5, 6}, Picture(4, 4, 2), Picture(4, 4, 3));
  LoadedSkin s(w.bytes());
  ASSERT_EQ(s.loaded, 1);
  auto rectOf = [&](int id) {
    const CSkinElement* e = FindElement(s.frame(1), id);
    return e ? e->rect : SkinRect{1, 1, 1, 1};
  };
  EXPECT_EQ(rectOf(101), (SkinRect{-32768, -32768, 32767, 32767}));
  EXPECT_EQ(rectOf(101).Width(), 65535);
  EXPECT_EQ(rectOf(102), (SkinRect{-32768, -1, 32767, 0}));
  EXPECT_EQ(rectOf(103), (SkinRect{-32768, 32767, 5, 6}));
  EXPECT_EQ(rectOf(103).Height(), 6 - 32767);
  // The elements after them are read in step: nothing was skipped.
  EXPECT_TRUE(s.messages.empty());
}

TEST(SkinReader, LookupsCheckTheKind) {
  SkinWriter w = FrameOne();
  w.PushButton(501, {0, 0, 4, 4}, Picture(4, 4, 2), Picture(4, 4, 3));  // 501 is meant to be a counter
  LoadedSkin s(w.bytes());
  EXPECT_NE(FindElement(s.frame(1), 501), nullptr);
  EXPECT_EQ(FindElementAs<CSkinImageCounter>(s.frame(1), 501), nullptr);
  EXPECT_EQ(FindElementAs<CSkinNumberBase>(s.frame(1), 501), nullptr);
  EXPECT_NE(FindElementAs<CSkinPushButton>(s.frame(1), 501), nullptr);
  EXPECT_EQ(FindElementAs<CSkinPushButton>(nullptr, 501), nullptr);
}

TEST(SkinReader, ListStyleFaceNameBound) {
  std::array<std::uint32_t, 8> colors{};
  for (int i = 0; i < 8; ++i) colors[i] = Rgb(i, i, i);
  SkinWriter w = FrameOne();
  w.ListStyle(700, std::string(127, 'x'), 5, -12, {1, 2, 3, 4}, colors);
  w.ListStyle(701, std::string(300, 'y'), 5, -12, {1, 2, 3, 4}, colors);
  w.PushButton(101, {0, 0, 4, 4}, Picture(4, 4, 2), Picture(4, 4, 3));
  LoadedSkin s(w.bytes());
  EXPECT_EQ(s.skin->ParseSkin(), 1);
  auto* good = FindElementAs<CSkinListStyle>(s.frame(1), 700);
  auto* refused = FindElementAs<CSkinListStyle>(s.frame(1), 701);
  ASSERT_TRUE(good && refused);
  EXPECT_EQ(good->face.size(), 127u);
  EXPECT_TRUE(refused->face.empty());
  EXPECT_EQ(refused->fontHeight, -12);
  EXPECT_EQ(refused->colors[7], Rgb(7, 7, 7));
  EXPECT_NE(FindElement(s.frame(1), 101), nullptr);
}

// Embedded pictures whose BMP headers lie.
TEST(SkinReader, DamagedPicturesAreDroppedButTheRecordStays) {
  const Bytes good = Picture(4, 3, 7);
  auto damaged = [&](std::size_t at, std::uint32_t value, int bytes) {
    Bytes b = good;
    for (int i = 0; i < bytes; ++i) b[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
    return b;
  };
  const std::size_t info = fmt::kBmpFileHeaderSize;
  const std::vector<std::pair<Bytes, ImageCheck>> cases = {
      {damaged(0, 'X', 1), ImageCheck::kNotBmp},
      {damaged(info + fmt::kBiSize, 108, 4), ImageCheck::kHeaderSize},
      {damaged(info + fmt::kBiHeight, static_cast<std::uint32_t>(-3), 4), ImageCheck::kSize},
      {damaged(info + fmt::kBiWidth, 0, 4), ImageCheck::kSize},
      {damaged(info + fmt::kBiWidth, 100000, 4), ImageCheck::kRowsOutside},
      {damaged(info + fmt::kBiHeight, 0x7FFFFFFF, 4), ImageCheck::kRowsOutside},
      {damaged(info + fmt::kBiBitCount, 8, 2), ImageCheck::kBitCount},
      {damaged(info + fmt::kBiBitCount, 16, 2), ImageCheck::kBitCount},
      {damaged(info + fmt::kBiCompression, 1, 4), ImageCheck::kCompression},
      {damaged(info + fmt::kBiClrUsed, 2, 4), ImageCheck::kColorTable},
      {Bytes(good.begin(), good.end() - 1), ImageCheck::kRowsOutside},
      {Bytes(good.begin(), good.begin() + 53), ImageCheck::kTooShort},
  };
  for (const auto& [bytes, why] : cases) {
    EXPECT_EQ(CheckEmbeddedImage(bytes, nullptr), why);
    SkinWriter w = FrameOne();
    w.PushButton(101, {0, 0, 4, 3}, bytes, good);
    w.PushButton(102, {4, 0, 8, 3}, good, good);
    LoadedSkin s(w.bytes());
    EXPECT_EQ(s.skin->ParseSkin(), 1);
    auto* broken = FindElementAs<CSkinPushButton>(s.frame(1), 101);
    ASSERT_NE(broken, nullptr);
    EXPECT_TRUE(broken->normal.empty());
    EXPECT_FALSE(broken->pressed.empty());
    EXPECT_NE(FindElement(s.frame(1), 102), nullptr);
    gui::PixelCanvas canvas(10, 10);
    broken->Draw(canvas);  // nothing to draw, nothing read
    EXPECT_EQ(canvas.Pixel(0, 0), 0u);
  }
  EXPECT_EQ(CheckEmbeddedImage(Picture(5, 2, 1, 32), nullptr), ImageCheck::kOk);
}

// Every cut of a skin file: nothing is read past the end (the sanitizers
// watch), a record cut short is dropped and ends the parse.
TEST(SkinReader, TruncatedFilesAtEveryLength) {
  SkinWriter w = FrameOne();
  std::vector<std::size_t> ends{w.bytes().size()};
  w.PushButton(101, {0, 0, 4, 4}, Picture(4, 4, 2), Picture(4, 4, 3));
  ends.push_back(w.bytes().size());
  w.Font(1, 0, "Face", 0, 12);
  ends.push_back(w.bytes().size());
  w.TextField(531, 0, {0, 0, 20, 8}, Rgb(1, 1, 1), Rgb(2, 2, 2));
  ends.push_back(w.bytes().size());
  std::array<Bytes, 11> images;
  for (auto& i : images) i = Picture(2, 2, 5);
  w.ScrollBar(720, {0, 0, 8, 40}, images);
  const Bytes& full = w.bytes();
  std::size_t lastCount = 0;
  for (std::size_t n = 1; n < full.size(); ++n) {
    LoadedSkin s(Bytes(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n)));
    EXPECT_EQ(s.loaded, 1);
    const bool atRecordEnd = std::find(ends.begin(), ends.end(), n) != ends.end();
    EXPECT_EQ(s.skin->ParseSkin(), atRecordEnd ? 1 : 0) << n;
    EXPECT_EQ(s.skin->report().truncated, !atRecordEnd) << n;
    const std::size_t count = s.frame(1) ? s.frame(1)->size() : 0;
    EXPECT_GE(count, lastCount);
    EXPECT_LT(count, 4u);
    lastCount = count;
  }
  LoadedSkin whole(full);
  EXPECT_EQ(whole.skin->ParseSkin(), 1);
  EXPECT_EQ(whole.frame(1)->size(), 4u);
}

TEST(SkinReader, LengthsLargerThanTheFile) {
  SkinWriter w = FrameOne();
  w.Record(fmt::kPushButton, 101, 0, Payload().Rect({0, 0, 4, 4}).U32(0xFFFFFFF0u));
  LoadedSkin a(w.bytes());
  EXPECT_EQ(a.skin->ParseSkin(), 0);
  EXPECT_EQ(a.frame(1)->size(), 1u);

  SkinWriter u = FrameOne();
  u.Record(77, 1, 0, Payload().U32(1), 0x7FFFFFFFu);  // an unlisted type's length past the end
  LoadedSkin b(u.bytes());
  EXPECT_EQ(b.skin->ParseSkin(), 0);
  EXPECT_TRUE(b.skin->report().truncated);

  // Counts of pictures and items far beyond what the file holds.
  SkinWriter c = FrameOne();
  c.Record(fmt::kImageSelector, 521, 0, Payload().U32(0xFFFFFFFFu).Rect({0, 0, 4, 4}));
  LoadedSkin d(c.bytes());
  EXPECT_EQ(d.skin->ParseSkin(), 0);
  SkinWriter e = FrameOne();
  e.Record(fmt::kIconMenuButton, 11, 0, Payload().U32(0x40000000u).Rect({0, 0, 4, 4}));
  LoadedSkin f(e.bytes());
  EXPECT_EQ(f.skin->ParseSkin(), 0);
}

TEST(SkinReader, ReplacedTableSlotsStayValidForEarlierElements) {
  std::array<Bytes, 11> first, second;
  for (int i = 0; i < 11; ++i) {
    first[i] = Solid(3, 5, Rgb(10 * i, 0, 0));
    second[i] = Solid(4, 5, Rgb(0, 10 * i, 0));
  }
  SkinWriter w;
  w.ImageSet(1, 2, first);
  w.Font(1, 2, "First", 0, 10);
  w.Frame(1, {0, 0, 20, 10}, Picture(20, 10, 1));
  w.ImageCounter(501, 2, {0, 0, 8, 5});
  w.TextField(531, 2, {0, 5, 20, 10}, Rgb(1, 1, 1), Rgb(2, 2, 2));
  w.ImageSet(1, 2, second);
  w.Font(1, 2, "Second", 0, 10);
  w.ImageCounter(502, 2, {8, 0, 16, 5});
  LoadedSkin s(w.bytes());
  auto* early = FindElementAs<CSkinImageCounter>(s.frame(1), 501);
  auto* late = FindElementAs<CSkinImageCounter>(s.frame(1), 502);
  auto* text = FindElementAs<CSkinTextField>(s.frame(1), 531);
  ASSERT_TRUE(early && late && text);
  EXPECT_EQ(early->digitWidth(), 3);
  EXPECT_EQ(late->digitWidth(), 4);
  EXPECT_EQ(text->font()->face, "First");
  EXPECT_EQ(s.skin->Font(2)->face, "Second");
  gui::PixelCanvas canvas(20, 10);
  early->SetNumber(canvas, 12);
  EXPECT_EQ(canvas.Pixel(0, 0), Rgb(10, 0, 0));
  EXPECT_EQ(canvas.Pixel(3, 0), Rgb(20, 0, 0));
}

}  // namespace
}  // namespace vantu
