// The designed look of standard forms on the headless backend: the colour
// and background picture under the controls, pixel for pixel; images over
// it; labels in their own font, opaque or transparent over the picture;
// a frameless form moved by dragging its background.
#include <memory>
#include <string>
#include <vector>

#include "platform/gui/Cursor.h"
#include "platform/gui/Image.h"
#include "platform/gui/Label.h"
#include "platform/gui/Panel.h"
#include "platform/gui/Picture.h"
#include "platform/gui/headless/HeadlessForm.h"
#include "platform/gui/tests/GuiTestSupport.h"

namespace gui {
namespace {

using testing::HeadlessTest;

class FormLookTest : public HeadlessTest {};

// Every pixel different: (x, y) gives red x * 7, green y * 11, blue 99.
std::shared_ptr<const Bitmap> Gradient(int width, int height) {
  auto bitmap = std::make_shared<Bitmap>(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) bitmap->SetPixel(x, y, Rgb(x * 7, y * 11, 99));
  }
  return bitmap;
}

std::shared_ptr<const Bitmap> Solid(int width, int height, Color color) {
  auto bitmap = std::make_shared<Bitmap>(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) bitmap->SetPixel(x, y, color);
  }
  return bitmap;
}

constexpr Color kWhite = Rgb(255, 255, 255);
constexpr Color kBlack = Rgb(0, 0, 0);

TEST_F(FormLookTest, BackgroundPictureLiesUnscaledOnTheColourAndImagesOverIt) {
  Form form;
  form.SetClientSize(40, 30);
  EXPECT_FALSE(form.Designed());
  EXPECT_EQ(headless::DrawForm(form).Pixel(5, 5), Form::kDefaultColor);

  form.SetColor(kWhite);
  const auto background = Gradient(30, 20);
  form.SetBackground(background);
  Image picture(&form);
  picture.SetBounds(20, 10, 6, 4);  // smaller than its bitmap: clipped
  picture.SetBitmap(Solid(8, 8, Rgb(1, 2, 3)));
  Image hidden(&form);
  hidden.SetBounds(0, 0, 10, 10);
  hidden.SetBitmap(Solid(10, 10, kBlack));
  hidden.SetVisible(false);
  form.Create();

  const PixelCanvas face = headless::DrawForm(form);
  ASSERT_EQ(face.Width(), 40);
  ASSERT_EQ(face.Height(), 30);
  int checked = 0;
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 40; ++x) {
      Color want = kWhite;
      if (x >= 20 && x < 26 && y >= 10 && y < 14) want = Rgb(1, 2, 3);
      else if (x < 30 && y < 20) want = background->Pixel(x, y);
      ASSERT_EQ(face.Pixel(x, y), want) << x << "," << y;
      ++checked;
    }
  }
  EXPECT_EQ(checked, 1200);

  // A picture larger than the form keeps its top-left corner at the
  // form's; a hover swap shows the other bitmap at once.
  form.SetBackground(Gradient(50, 50));
  picture.SetBitmap(Solid(8, 8, Rgb(9, 9, 9)));
  const PixelCanvas again = headless::DrawForm(form);
  EXPECT_EQ(again.Pixel(0, 0), Rgb(0, 0, 99));
  EXPECT_EQ(again.Pixel(39, 29), Rgb(39 * 7, 29 * 11, 99));
  EXPECT_EQ(again.Pixel(21, 11), Rgb(9, 9, 9));
  form.SetBackground(nullptr);
  EXPECT_EQ(headless::DrawForm(form).Pixel(35, 25), kWhite);
}

TEST_F(FormLookTest, TransparentLabelsShowThePictureBetweenTheirLettersOpaqueOnesTheColour) {
  Form form;
  form.SetClientSize(100, 60);
  form.SetColor(kWhite);
  form.SetFont("Tahoma", 9);
  const auto background = Gradient(100, 60);
  form.SetBackground(background);
  Label opaque(&form);
  opaque.SetBounds(10, 5, 60, 20);
  opaque.SetCaption("AB");
  Panel panel(&form);
  panel.SetBounds(0, 30, 100, 30);
  Label clear(&panel);  // inside a panel: placed by both offsets
  clear.SetBounds(10, 5, 60, 20);
  clear.SetCaption("트랙");
  clear.SetFont("Arial", 12);
  clear.SetTransparent(true);
  form.Create();

  const PixelCanvas face = headless::DrawForm(form);
  ASSERT_EQ(face.Texts().size(), 2u);
  // The form's font for the first, the label's own (12 points: 16 pixels)
  // for the second.
  EXPECT_EQ(face.Texts()[0].text, "AB");
  EXPECT_EQ(face.Texts()[0].font.face, "Tahoma");
  EXPECT_EQ(face.Texts()[0].font.height, -12);
  EXPECT_EQ(face.Texts()[1].text, "트랙");
  EXPECT_EQ(face.Texts()[1].font.face, "Arial");
  EXPECT_EQ(face.Texts()[1].font.height, -16);
  EXPECT_EQ(face.Texts()[1].box.left, 10);
  EXPECT_EQ(face.Texts()[1].box.top, 35);

  // Opaque: the box is the form's colour around the letters, no picture.
  EXPECT_EQ(face.Pixel(10, 5), kWhite);     // the top of the first cell
  EXPECT_EQ(face.Pixel(60, 20), kWhite);    // past the text, inside the box
  EXPECT_EQ(face.Pixel(12, 10), kBlack);    // a letter
  EXPECT_EQ(face.Pixel(75, 5), background->Pixel(75, 5));  // outside the box
  // Transparent: the picture around the letters, the letters black.
  EXPECT_EQ(face.Pixel(10, 35), background->Pixel(10, 35));
  EXPECT_EQ(face.Pixel(60, 50), background->Pixel(60, 50));
  EXPECT_EQ(face.Pixel(13, 42), kBlack);

  // A new caption leaves nothing of the old one.
  clear.SetCaption("");
  const PixelCanvas after = headless::DrawForm(form);
  EXPECT_EQ(after.Pixel(13, 42), background->Pixel(13, 42));
  opaque.SetVisible(false);
  EXPECT_EQ(headless::DrawForm(form).Pixel(12, 10), background->Pixel(12, 10));
}

TEST_F(FormLookTest, CentredAndRightAlignedLabelsPlaceTheirText) {
  Form form;
  form.SetClientSize(100, 20);
  Label centred(&form);
  centred.SetBounds(0, 0, 100, 20);
  centred.SetFont("Arial", 9);  // 12 pixels high, 6 wide a character
  centred.SetCaption("abcd");
  centred.SetAlignment(Align::kCenter);
  Label right(&form);
  right.SetBounds(0, 0, 50, 20);
  right.SetFont("Arial", 9);
  right.SetCaption("ab");
  right.SetAlignment(Align::kRight);
  const PixelCanvas face = headless::DrawForm(form);
  ASSERT_EQ(face.Texts().size(), 2u);
  EXPECT_EQ(face.Texts()[0].box.left, 38);
  EXPECT_EQ(face.Texts()[1].box.left, 38);
}

TEST_F(FormLookTest, FramelessFormMovesWhenItsBackgroundIsDraggedNotItsControls) {
  Form form;
  form.SetBounds(100, 50, 200, 100);
  form.SetFrameless(true);
  Image close(&form);
  close.SetBounds(180, 0, 20, 20);
  Label title(&form);
  title.SetBounds(0, 0, 100, 20);
  Label hinted(&form);
  hinted.SetBounds(0, 40, 100, 20);
  hinted.SetHint("플래쉬 메모리로 전송");
  Panel panel(&form);
  panel.SetBounds(0, 70, 50, 30);
  Image inner(&panel);
  inner.SetBounds(10, 10, 10, 10);
  int moves = 0;
  form.OnMove = [&] { ++moves; };
  form.Show();

  EXPECT_EQ(form.ControlAt(Point{185, 5}), &close);
  EXPECT_EQ(form.ControlAt(Point{5, 5}), nullptr);  // a plain label lets the mouse through
  EXPECT_EQ(form.ControlAt(Point{5, 45}), &hinted);
  EXPECT_EQ(form.ControlAt(Point{15, 85}), &inner);
  EXPECT_EQ(form.ControlAt(Point{2, 72}), &panel);

  EXPECT_TRUE(headless::DragForm(form, Point{120, 30}, Point{150, 20}));
  EXPECT_EQ(form.Left(), 130);
  EXPECT_EQ(form.Top(), 40);
  EXPECT_TRUE(headless::DragForm(form, Point{5, 5}, Point{0, 0}));  // over the plain label
  EXPECT_EQ(form.Left(), 125);
  EXPECT_EQ(moves, 2);
  EXPECT_EQ(form.Width(), 200);

  EXPECT_FALSE(headless::DragForm(form, Point{185, 5}, Point{0, 0}));   // on the close picture
  EXPECT_FALSE(headless::DragForm(form, Point{15, 85}, Point{0, 0}));   // on a control in a panel
  EXPECT_FALSE(headless::DragForm(form, Point{250, 5}, Point{0, 0}));   // outside
  form.SetEnabled(false);
  EXPECT_FALSE(headless::DragForm(form, Point{120, 30}, Point{0, 0}));
  form.SetEnabled(true);
  EXPECT_EQ(form.Left(), 125);
  EXPECT_EQ(form.Top(), 35);

  // A form with a frame is moved by its caption bar, not its background.
  Form framed;
  framed.SetBounds(0, 0, 100, 100);
  framed.Show();
  EXPECT_FALSE(headless::DragForm(framed, Point{50, 50}, Point{60, 60}));

  // Its own close and minimise pictures call the form.
  close.OnClick = [&] { form.Minimize(); };
  EXPECT_TRUE(close.UserClick());
  EXPECT_TRUE(form.Minimized());
}

common::Path Sample(const std::string& name) { return common::PathFromUtf8(std::string(PICTURE_DIR) + "/" + name); }

TEST_F(FormLookTest, EachControlShowsItsOwnPointerAndTheFormItsOwnOnItsSurface) {
  auto hand = LoadPointer(Sample("hand.cur"));
  ASSERT_TRUE(hand) << hand.error().message;
  EXPECT_EQ((*hand)->Width(), 16);
  EXPECT_EQ((*hand)->HotSpotX(), 3);
  EXPECT_EQ((*hand)->HotSpotY(), 5);
  EXPECT_FALSE((*hand)->FromResource());
  const auto busy = PointerResource("BUSY");
  EXPECT_TRUE(busy->FromResource());

  Form form;
  form.SetClientSize(100, 100);
  Image command(&form);
  command.SetBounds(10, 10, 20, 20);
  command.SetCursor(*hand);
  Label caption(&form);  // lets the mouse through to the form
  caption.SetBounds(10, 40, 50, 20);
  caption.SetCursor(*hand);
  Panel options(&form);
  options.SetBounds(50, 50, 50, 50);
  Image plain(&options);
  plain.SetBounds(0, 0, 10, 10);
  form.Show();

  EXPECT_EQ(headless::PointerAt(form, Point{15, 15}), hand->get());
  EXPECT_EQ(headless::PointerAt(form, Point{5, 5}), nullptr);
  EXPECT_EQ(headless::PointerAt(form, Point{15, 45}), nullptr);
  form.SetCursor(busy);
  EXPECT_EQ(headless::PointerAt(form, Point{5, 5}), busy.get());
  EXPECT_EQ(headless::PointerAt(form, Point{15, 45}), busy.get());
  // Not passed on: a control without a pointer shows the standard one.
  options.SetCursor(*hand);
  EXPECT_EQ(headless::PointerAt(form, Point{52, 52}), nullptr);
  EXPECT_EQ(headless::PointerAt(form, Point{80, 80}), hand->get());
  EXPECT_EQ(headless::PointerAt(form, Point{150, 15}), nullptr);  // outside
  command.SetCursor(nullptr);
  EXPECT_EQ(headless::PointerAt(form, Point{15, 15}), nullptr);
}

TEST_F(FormLookTest, DamagedPointerFilesAreRefused) {
  auto text = common::ReadWholeFile(Sample("hand.cur"), 1 << 20);
  ASSERT_TRUE(text);
  const std::vector<std::uint8_t> good(text->begin(), text->end());
  auto decode = [](std::vector<std::uint8_t> bytes) { return static_cast<bool>(DecodePointer(bytes, "test")); };
  EXPECT_TRUE(decode(good));
  EXPECT_FALSE(decode({}));
  EXPECT_FALSE(decode(std::vector<std::uint8_t>(good.begin(), good.begin() + 21)));  // directory cut
  EXPECT_FALSE(decode(std::vector<std::uint8_t>(good.begin(), good.end() - 1)));     // image cut
  auto bad = good;
  bad[2] = 3;  // neither icon nor cursor
  EXPECT_FALSE(decode(bad));
  bad = good;
  bad[4] = 0;  // no images
  EXPECT_FALSE(decode(bad));
  bad = good;
  bad[6 + 12] = 2;  // the image inside the directory
  EXPECT_FALSE(decode(bad));
  bad = good;
  bad[6 + 11] = 0x80;  // an image size past any file
  EXPECT_FALSE(decode(bad));
  EXPECT_FALSE(LoadPointer(Sample("missing.cur")));
  // An icon file serves too, its hot spot in the middle.
  auto icon = good;
  icon[2] = 1;
  auto asIcon = DecodePointer(icon, "icon");
  ASSERT_TRUE(asIcon);
  EXPECT_EQ((*asIcon)->HotSpotX(), 8);
}

}  // namespace
}  // namespace gui
