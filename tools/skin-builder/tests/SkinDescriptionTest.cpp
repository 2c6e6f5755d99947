// The readable skin description: what a good one builds, and every kind of
// mistake reported with the line it is on.
#include "tools/skin-builder/SkinDescription.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>

namespace skinbuilder {
namespace {

namespace fmt = vantu::skin_format;

// An image folder in memory; a name not in it cannot be read.
struct Pictures {
  std::map<std::string, Bytes> files;
  int reads = 0;

  Pictures() {
    for (int i = 0; i <= 12; ++i) {
      char name[16];
      std::snprintf(name, sizeof name, "d%02d.bmp", i);
      files[name] = SolidBmp(4, 6, Rgb(10 * i, 0, 0));
    }
    files["bg.bmp"] = SolidBmp(20, 10, Rgb(1, 2, 3));
    files["a.bmp"] = SolidBmp(3, 3, Rgb(0, 9, 0));
    files["b.bmp"] = SolidBmp(3, 3, Rgb(0, 0, 9), 32);
    files["bad.bmp"] = {'B', 'M', 0, 0};
  }
  ImageSource Source() {
    return [this](const std::string& name) -> common::Result<Bytes> {
      ++reads;
      auto it = files.find(name);
      if (it == files.end()) return common::Error{2, "no such picture"};
      return it->second;
    };
  }
  Bytes Normal(const std::string& name) const { return *NormalizeBmp(files.at(name)); }
};

TEST(SkinDescription, AGoodDescriptionWritesTheSameRecordsAsTheWriter) {
  Pictures pictures;
  const std::string text =
      "# the main window\r\n"
      "\n"
      "font id=52 slot=3 face=\"Nanum Gothic\" width=0 height=-12\n"
      "image-set id=53 slot=1 images=d{00..10}.bmp\n"
      "frame number=1 rect=0,0,20,10 image=bg.bmp\r\n"
      "push id=101 rect=-5,1,2147483647,-2147483648 normal=a.bmp pressed=b.bmp anchor=255 hidden no-mouse\n"
      "icon-menu id=11 rect=1,1,4,4 button=a.bmp pressed=b.bmp side=a.bmp \\\n"
      "     items=621:a.bmp:b.bmp,-7:b.bmp:a.bmp\n"
      "list-style id=21 face=\"\xEB\xAA\xA9\xEB\xA1\x9D\" font-width=0 font-height=12 rect=0,0,9,9 \\\n"
      "  colors=#000000,#ffffff,#010203,#A0B0C0,#000000,#000000,#000000,#7f7f7f\n"
      "knob-style id=51 key=2 orientation=V thumb=a.bmp pressed=b.bmp frames=d{11..12}.bmp,a.bmp\n";
  auto built = BuildSkin(text, pictures.Source());
  ASSERT_TRUE(built) << built.error().message;

  SkinWriter w;
  w.Font(52, 3, "Nanum Gothic", 0, -12);
  std::array<Bytes, 11> digits;
  for (int i = 0; i <= 10; ++i) digits[i] = pictures.Normal((i < 10 ? "d0" : "d") + std::to_string(i) + ".bmp");
  w.ImageSet(53, 1, digits);
  w.Frame(1, {0, 0, 20, 10}, pictures.Normal("bg.bmp"));
  const Bytes a = pictures.Normal("a.bmp"), b = pictures.Normal("b.bmp");
  w.PushButton(101, {-5, 1, INT32_MAX, INT32_MIN}, a, b, 255 | fmt::kHidden | fmt::kIgnoresMouse);
  w.IconMenuButton(11, {1, 1, 4, 4}, a, b, a, {{621, a, b}, {-7, b, a}});
  w.ListStyle(21, "\xB8\xF1\xB7\xCF", 0, 12, {0, 0, 9, 9},
              {Rgb(0, 0, 0), Rgb(255, 255, 255), Rgb(1, 2, 3), Rgb(0xA0, 0xB0, 0xC0), 0, 0, 0, Rgb(127, 127, 127)});
  w.KnobStyle(51, 2, 'V', a, b, {pictures.Normal("d11.bmp"), pictures.Normal("d12.bmp"), a});
  EXPECT_EQ(*built, w.bytes());
  // Each picture is read once however often it is named.
  EXPECT_EQ(pictures.reads, 16);
}

TEST(SkinDescription, EachMistakeIsReportedWithItsLine) {
  struct Case {
    std::string line;
    std::string error;
  };
  const std::vector<Case> cases = {
      {"widget id=1", "unknown kind \"widget\""},
      {"push id=1 rect=0,0,1,1 normal=a.bmp pressed=a.bmp colour=#000000", "unknown key \"colour\" for push"},
      {"push id=1 rect=0,0,1,1 normal=a.bmp pressed=a.bmp shown", "unknown word \"shown\" for push"},
      {"font id=52 slot=0 face=x width=1 height=1 hidden", "unknown word \"hidden\" for font"},
      {"push id=1 rect=0,0,1,1 normal=a.bmp", "missing pressed="},
      {"push id=1 id=2 rect=0,0,1,1 normal=a.bmp pressed=a.bmp", "key given twice: id"},
      {"push id=x1 rect=0,0,1,1 normal=a.bmp pressed=a.bmp", "id: not a number: \"x1\""},
      {"push id= rect=0,0,1,1 normal=a.bmp pressed=a.bmp", "id: not a number: \"\""},
      {"push id=2147483648 rect=0,0,1,1 normal=a.bmp pressed=a.bmp", "id: out of range"},
      {"push id=1 rect=0,0,1 normal=a.bmp pressed=a.bmp", "rect: left,top,right,bottom expected"},
      {"push id=1 rect=0,0,4294967297,1 normal=a.bmp pressed=a.bmp", "rect: out of range"},
      {"font id=52 slot=-1 face=x width=1 height=1", "slot: out of range"},
      {"push id=1 rect=0,0,1,1 normal=a.bmp pressed=a.bmp anchor=256", "anchor: 0-255 expected"},
      {"number id=1 font=0 rect=0,0,1,1 text-color=#12345 back-color=#000000", "text-color: #rrggbb expected"},
      {"number id=1 font=0 rect=0,0,1,1 text-color=#000000 back-color=#00000g", "back-color: #rrggbb expected"},
      {"knob-style id=51 key=1 orientation=h thumb=a.bmp pressed=a.bmp frames=a.bmp", "orientation: H or V expected"},
      {"image-set id=53 slot=0 images=d{00..09}.bmp", "images: 11 pictures expected"},
      {"image-set id=53 slot=0 images=d{05..00}.bmp", "bad range in d{05..00}.bmp"},
      {"image-set id=53 slot=0 images=d{-1..9}.bmp", "bad range in d{-1..9}.bmp"},
      {"image-set id=53 slot=0 images=d{0..1001}.bmp", "bad range in d{0..1001}.bmp"},
      {"image-set id=53 slot=0 images=d{-9223372036854775807..9223372036854775807}.bmp",
       "bad range in d{-9223372036854775807..9223372036854775807}.bmp"},
      {"list-style id=21 face=x font-width=0 font-height=1 rect=0,0,1,1 colors=#000000", "colors: 8 colours expected"},
      {"font id=52 slot=0 face=\"\xF0\x9F\x98\x80\" width=1 height=1", "face: not representable in code page 949"},
      {"icon-menu id=11 rect=0,0,1,1 button=a.bmp pressed=a.bmp side=a.bmp items=1:a.bmp",
       "items: action:image:highlighted expected"},
      {"icon-menu id=11 rect=0,0,1,1 button=a.bmp pressed=a.bmp side=a.bmp items=2147483648:a.bmp:a.bmp",
       "items: out of range"},
      {"push id=1 rect=0,0,1,1 normal=gone.bmp pressed=a.bmp", "gone.bmp: no such picture"},
      {"text id=1 font=0 rect=0,0,1,1 text-color=\"#000000 back-color=#000000", "unterminated quote"},
  };
  for (const auto& c : cases) {
    Pictures pictures;
    // Two good lines first, so the mistake is on line 4 (a comment is line 1).
    const std::string text = "# skin\nframe number=1 rect=0,0,20,10 image=bg.bmp\n\n" + c.line + "\nfixed id=2 image=a.bmp\n";
    auto built = BuildSkin(text, pictures.Source());
    ASSERT_FALSE(built) << c.line;
    EXPECT_EQ(built.error().message, "line 4: " + c.error) << c.line;
    EXPECT_EQ(built.error().code, 4) << c.line;
  }
  // A picture that is not a plain BMP is named with the builder's reason.
  Pictures pictures;
  auto bad = BuildSkin("stretch id=3 image=bad.bmp\n", pictures.Source());
  ASSERT_FALSE(bad);
  EXPECT_EQ(bad.error().message.rfind("line 1: bad.bmp: ", 0), 0u) << bad.error().message;
}

TEST(SkinDescription, ContinuedLinesAreReportedAtTheirFirstLine) {
  Pictures pictures;
  auto joined = BuildSkin("fixed id=2 image=a.bmp\npush id=1 \\\n   rect=0,0,1,1 \\\n   normal=a.bmp pressed=a.bmp x=1\n",
                          pictures.Source());
  ASSERT_FALSE(joined);
  EXPECT_EQ(joined.error().message, "line 2: unknown key \"x\" for push");
  auto open = BuildSkin("fixed id=2 image=a.bmp\n\nfixed id=3 \\\n", pictures.Source());
  ASSERT_FALSE(open);
  EXPECT_EQ(open.error().message, "line 3: continued past the end");
  // Nothing but comments and blank lines: an empty skin, no error.
  auto empty = BuildSkin("# nothing\n\n   \n  # indented\n", pictures.Source());
  ASSERT_TRUE(empty);
  EXPECT_EQ(*empty, SkinWriter().bytes());
}

}  // namespace
}  // namespace skinbuilder
