// gui-showcase.exe: the GUI layer's program for the desktop tests under
// Wine. Two windows: a captionless custom-drawn window whose face comes
// from pictures in memory, with a fill, text in a named font, and a handle
// that drags the window (its test takes a screenshot and checks known
// pixels of the face); and the form of the standard controls
// (ShowcaseForm.h), which takes dropped files; and a frameless form with a
// background picture and a transparent label. Closing the form of the
// standard controls or the skinned window ends the program.
//
//   gui-showcase.exe [--drop-log FILE]
// With --drop-log every file dropped on the form is written to FILE, one
// UTF-8 path a line, so a test can see what arrived.
#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/File.h"
#include "platform/gui/Application.h"
#include "platform/gui/CustomWindow.h"
#include "platform/gui/Label.h"
#include "platform/gui/Picture.h"
#include "platform/gui/Timer.h"
#include "platform/gui/tests/showcase/ShowcaseForm.h"
#include "platform/gui/win32/Win32Backend.h"

namespace {

constexpr int kWidth = 275;
constexpr int kHeight = 116;

// A bottom-up 24-bit picture: red rises to the right, green downwards.
struct Picture {
  Picture(int width, int height, int blue) {
    dib.width = width;
    dib.height = height;
    dib.bitsPerPixel = 24;
    bytes.resize(dib.ImageBytes());
    for (int y = 0; y < height; ++y) {
      std::uint8_t* row = bytes.data() + dib.Stride() * static_cast<std::size_t>(height - 1 - y);
      for (int x = 0; x < width; ++x) {
        row[3 * x] = static_cast<std::uint8_t>(blue);
        row[3 * x + 1] = static_cast<std::uint8_t>(y * 255 / height);
        row[3 * x + 2] = static_cast<std::uint8_t>(x * 255 / width);
      }
    }
    dib.bits = bytes.data();
  }
  std::vector<std::uint8_t> bytes;
  gui::Dib dib;
};

class Showcase : public gui::CustomWindow {
 public:
  Showcase() {
    SetCaption("GUI 스킨 창");
    SetWindowRect(gui::Rect{200, 150, kWidth, kHeight});
    SetTopmost(true);
    SetAcceptFiles(true);
    OnPaint = [this](gui::Canvas& canvas) {
      canvas.CopyImage(ClientRect(), face_.dib);
      canvas.DrawImage(gui::Rect{10, 10, 60, 30}, button_.dib);  // stretched
      canvas.FillRect(gui::Rect{10, 90, 255, 16}, gui::Rgb(0x20, 0x90, 0xE0));
      const gui::FontSpec font{"굴림", -12, 0};
      canvas.SetFont(&font);
      canvas.SetTextColor(gui::Rgb(255, 255, 255));
      canvas.SetBackgroundMode(gui::BackgroundMode::kTransparent);
      canvas.DrawText(gui::Rect{80, 14, 190, 16}, dropped_.empty() ? "Vantu 스킨 12:34" : dropped_);
    };
    // The top band drags the window, as a skin's title handle does.
    OnMouseDown = [this](const gui::MouseEvent& e) {
      if (e.client.y >= 50) return;
      grab_ = e.client;
      CaptureMouse();
    };
    OnMouseMove = [this](const gui::MouseEvent& e) {
      if (!HasMouseCapture()) return;
      SetWindowRect(gui::Rect{e.screen.x - grab_.x, e.screen.y - grab_.y, kWidth, kHeight});
    };
    OnMouseUp = [this](const gui::MouseEvent&) { ReleaseMouse(); };
    OnDropFiles = [this](const std::vector<std::string>& paths, gui::Point) {
      dropped_ = paths.front();
      Invalidate();
    };
  }
  ~Showcase() override { Destroy(); }

 private:
  Picture face_{kWidth, kHeight, 0x40};
  Picture button_{20, 10, 0xC0};
  gui::Point grab_;
  std::string dropped_;
};

// A frameless form with a designed look: a white surface, a picture under
// its controls and a transparent Arial label whose long first caption is
// replaced by a short one soon after the start (its test checks that no old
// letters stay and that the picture shows around the new one).
class Designed : public gui::Form {
 public:
  Designed() {
    SetCaption("GUI 디자인 창");
    SetFrameless(true);
    SetBounds(500, 20, 240, 100);
    SetColor(gui::Rgb(255, 255, 255));
    auto picture = std::make_shared<gui::Bitmap>(200, 80);
    for (int y = 0; y < 80; ++y) {
      for (int x = 0; x < 200; ++x) picture->SetPixel(x, y, gui::Rgb(x * 255 / 200, y * 255 / 80, 0x80));
    }
    SetBackground(std::move(picture));
    title.SetBounds(10, 30, 220, 24);
    title.SetFont("Arial", 12);
    title.SetTransparent(true);
    title.SetCaption("WWWWWWWWWWWWWWWWWWWW");
    shorten.SetInterval(400);
    shorten.OnTimer = [this] {
      shorten.SetEnabled(false);
      title.SetCaption("W");
    };
    OnShow = [this] { shorten.SetEnabled(true); };
  }
  ~Designed() override { Destroy(); }

 private:
  gui::Label title{this};
  gui::Timer shorten{this};
};

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::wstring dropLog;
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::wstring(argv[i]) == L"--drop-log") dropLog = argv[i + 1];
  }
  LocalFree(argv);

  gui::Application app(gui::win32::CreateWin32Backend(instance));
  app.SetTitle("GUI Showcase");
  auto& window = app.CreateForm<Showcase>();
  auto& form = app.CreateForm<showcase::ShowcaseForm>();
  form.OnClose = [&app](gui::Form::CloseAction&) { app.Terminate(); };
  std::string arrived;
  form.OnFilesArrived = [&](const std::vector<std::string>& paths) {
    for (const auto& p : paths) arrived += p + "\n";
    if (dropLog.empty()) return;
    (void)common::WriteFileAtomically(std::filesystem::path(dropLog),
                                      std::span(reinterpret_cast<const std::uint8_t*>(arrived.data()), arrived.size()));
  };
  auto& designed = app.CreateForm<Designed>();
  window.Show();
  form.Show();
  designed.Show();
  app.Run();
  app.DestroyForms();
  return 0;
}
