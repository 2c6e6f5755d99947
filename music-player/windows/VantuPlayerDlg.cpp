#include "music-player/windows/VantuPlayerDlg.h"

#include <chrono>
#include <thread>

#include "music-player/AnsiText.h"
#include "music-player/windows/BrowserWnd.h"
#include "music-player/windows/EqualizerWnd.h"
#include "music-player/windows/PlaylistWnd.h"
#include "music-player/windows/Snapping.h"
#include "platform/gui/Application.h"
#include "platform/gui/Button.h"
#include "platform/gui/FileDialog.h"
#include "platform/gui/Image.h"
#include "platform/gui/Label.h"
#include "platform/gui/PixelCanvas.h"

namespace vantu {

namespace fmt = skin_format;

namespace {

// The about box (dialog 100).
class CAboutDlg : public gui::Form {
 public:
  CAboutDlg() {
    SetCaption("Vantu 정보");
    SetFont("굴림", 9);
    SetBorderIcons(false);
    SetPosition(Position::kScreenCenter);
    SetClientSize(352, 90);
    icon_.SetPicture(gui::Icon{"MAINICON"});
    icon_.SetBounds(16, 16, 32, 32);
    version_.SetCaption("Vantu 버전 2.00.001");
    version_.SetBounds(64, 16, 200, 18);
    maker_.SetCaption("Copyright (C) (주) Qortan");
    maker_.SetBounds(64, 40, 200, 18);
    ok_.SetCaption("확인");
    ok_.SetBounds(272, 14, 66, 24);
    ok_.SetDefault(true);
    ok_.SetModalResult(gui::ModalResult::kOk);
    Create();
  }
  ~CAboutDlg() override { Destroy(); }

 private:
  gui::Image icon_{this};
  gui::Label version_{this};
  gui::Label maker_{this};
  gui::Button ok_{this};
};

// Values are kept while an element cannot be drawn (hidden element, window
// not shown): they are drawn here instead.
gui::Canvas& Scratch() {
  static gui::PixelCanvas canvas(1, 1);
  return canvas;
}

}  // namespace

CVantuPlayerDlg::CVantuPlayerDlg(CVantuPlayerApp& app, PlayerShell& shell, std::string commandLine,
                                 XaudioLibrary library)
    : CDockingDialog(app.Settings()),
      app_(app),
      shell_(shell),
      commandLine_(std::move(commandLine)),
      playback_(app.Playlist(), app.Settings(), *this) {
  Initialize(std::move(library));
}

void CVantuPlayerDlg::Initialize(XaudioLibrary library) {
  SetCaption(kMainWindowCaption);
  SetRememberedRect(SettingsRect::kMainWindow);
  SetAcceptFiles(true);
  SetDoubleBuffered(false);  // the main window paints straight onto its face
  AddSystemMenuItem(kAboutSystemMenuId, kAboutSystemMenuText);  // chosen: nothing happens
  OnPaint = [this](gui::Canvas& canvas) {
    if (!Minimized()) DrawElements(canvas);
  };
  OnContextMenu = [this](gui::Point screen) { ShowContextMenu(screen); };
  OnDropFiles = [this](const std::vector<std::string>& paths, gui::Point) { DropFiles(paths); };
  // A file handed over by a second start: the bytes are checked, then
  // played from the loop (the sender does not wait for the start).
  OnCopyData = [this](std::uintptr_t tag, const std::vector<std::uint8_t>& bytes) -> std::intptr_t {
    auto path = ParseHandOver(tag, bytes);
    if (!path) return 0;
    handedOver_.push_back(*path);
    PostCommand(150, 0);
    return 1;
  };
  static constexpr struct {
    const char* caption;
    std::uint32_t id;
  } kMenu[] = {{kMakerMenuText, 32777}, {kHomepageMenuText, 32778}, {"-", 0}, {kAboutMenuText, 32776}};
  for (const auto& entry : kMenu) {
    auto& item = menuItems_.emplace_back(std::make_unique<gui::MenuItem>(&menu_));
    item->SetCaption(entry.caption);
    if (entry.id != 0) item->OnClick = [this, id = entry.id] { PostCommand(id, 0); };
  }
  Create();

  skin_ = std::make_unique<CSkin>(settings_);
  skin_->SetMessageHandler([](std::string_view text) { gui::App().MessageBox(std::string(text), kMainWindowCaption); });
  skin_->LoadSkin(PathFromCp949(app_.ProgramFolder() + "DruskLirn.Mpt"));
  SetFrameIndex(0);
  SetElements(skin_->Frame(0));

  engine_ = StartPlayerEngine(playback_, std::move(library));
  playback_.ApplyEqualizer();
  playback_.PlayCommandLine(commandLine_);
}

CVantuPlayerDlg::~CVantuPlayerDlg() {
  FlushDeletedWindows();
  // The engine goes first, so no notification reaches a window or an
  // element that is already gone; then the windows, then the skin.
  DestroyPlayerEngine(engine_);
  DestroySecondaryWindows();
  CloseDropDown();
  SetElements(nullptr);
  FlushDeletedWindows();
  skin_.reset();
  Destroy();
}

void CVantuPlayerDlg::ShowFirst() {
  SetPlace(FitToDesktop(GetInitialRect(), FromGui(gui::ScreenRect())));
  Show();
  for (int row = 0; row < kRows; ++row) {
    static constexpr SettingsWord kFlags[] = {SettingsWord::kEqualizerWindowOpen, SettingsWord::kPlaylistWindowOpen,
                                              SettingsWord::kBrowserWindowOpen};
    if (settings_.Flag(kFlags[row])) OpenWindow(row);
  }
}

void CVantuPlayerDlg::RunModal() {
  gui::App().SetMainForm(this);
  ShowFirst();
  gui::App().Run();
}

CPlaylistWnd* CVantuPlayerDlg::PlaylistWindow() const { return static_cast<CPlaylistWnd*>(Window(1)); }
CBrowserWnd* CVantuPlayerDlg::BrowserWindow() const { return static_cast<CBrowserWnd*>(Window(2)); }

std::unique_ptr<CSkinnedDialog> CVantuPlayerDlg::MakeSecondary(int row) {
  switch (row) {
    case 0: return std::make_unique<CEqualizerWnd>(*this);
    case 1: return std::make_unique<CPlaylistWnd>(*this);
    case 2: return std::make_unique<CBrowserWnd>(*this);
    default: return nullptr;
  }
}

SkinRect CVantuPlayerDlg::GetInitialRect() {
  const SkinRect stored = FromSettings(settings_.GetRect(SettingsRect::kMainWindow));
  return stored.right != stored.left ? stored : GetBackgroundRect();
}

void CVantuPlayerDlg::HandleClose() {
  if (closing_) return;
  closing_ = true;
  RememberPlace();
  playback_.StopPlayback();
  CloseDropDown();
  ReleaseMouse();
  Close();  // the main form: ends the loop
}

// --- Commands ---

void CVantuPlayerDlg::OnCommand(std::uint32_t id, std::intptr_t lParam) {
  if (closing_) return;
  switch (id) {
    case 101: playback_.PlayPrevious(); break;
    case 102: playback_.PlayCurrent(); break;
    case 103: playback_.TogglePause(); break;
    case 104: playback_.StopPlayback(); break;
    case 105: playback_.PlayNext(); break;
    case 106: OpenFiles(); break;
    case 121:
      if (const CSkinElement* e = FindElement(Elements(), 121)) {
        menu_.Popup(ClientToScreen(gui::Point{e->skinRect.left, e->skinRect.top}));
      }
      break;
    case 123: Minimize(); break;
    case 150:
      if (!handedOver_.empty()) {
        const std::string path = handedOver_.front();
        handedOver_.pop_front();
        playback_.PlayCommandLine(path);
        RefreshPlaylistWindow();
      }
      break;
    // The equalizer switch heard at once, wherever its toggle is.
    case 201: playback_.ApplyEqualizer(); break;
    case 403:
      playback_.Seek(static_cast<std::uint16_t>(lParam & 0xFFFF), static_cast<std::uint16_t>((lParam >> 16) & 0xFFFF));
      break;
    case 32776: ShowAbout(); break;
    case 32777: OpenHomepage(kMakerSite); break;
    case 32778: OpenHomepage(kPlayerSite); break;
    default: break;  // 601 and the rest: nothing
  }
}

void CVantuPlayerDlg::ShowContextMenu(gui::Point screen) {
  if (screen.x == -1 && screen.y == -1) screen = ClientToScreen(gui::Point{5, 5});
  menu_.Popup(screen);
}

void CVantuPlayerDlg::ShowAbout() {
  CAboutDlg about;
  about.ShowModal();
}

void CVantuPlayerDlg::OpenHomepage(const std::string& address) {
  if (auto program = shell_.BrowserProgram()) shell_.StartCommand(BrowserCommandLine(*program, address));
}

void CVantuPlayerDlg::OpenFiles() {
  gui::FileDialog dialog(this, gui::FileDialog::Mode::kOpen);
  dialog.SetMultiSelect(true);
  dialog.SetDefaultExtension(kAudioDefaultExtension);
  dialog.SetFilterText(kAudioFileFilter);
  if (!dialog.Execute() || dialog.Files().empty()) return;
  CPlaylist& playlist = app_.Playlist();
  playlist.Clear();
  for (const auto& file : dialog.Files()) playlist.AddFile(Utf8ToAnsi(file));
  RefreshPlaylistWindow();
  if (playlist.Count() > 0) playback_.PlayChosen();
}

void CVantuPlayerDlg::DropFiles(const std::vector<std::string>& paths) {
  CPlaylist& playlist = app_.Playlist();
  playlist.Clear();
  for (const auto& path : paths) {
    const std::string ansi = Utf8ToAnsi(path);
    if (!ansi.empty() && ansi.size() <= kMaxDroppedPath) playlist.AddFile(ansi);
  }
  RefreshPlaylistWindow();
  if (playlist.Count() > 0) playback_.PlayChosen();
}

void CVantuPlayerDlg::PlayChosenEntry() { playback_.PlayChosen(); }

void CVantuPlayerDlg::RefreshPlaylistWindow() {
  if (CPlaylistWnd* window = PlaylistWindow()) {
    window->RedrawList();
    window->RefreshScroll();
  }
}

// --- Displays ---

void CVantuPlayerDlg::WithFace(const std::function<void(gui::Canvas&)>& draw) {
  if (Created() && Visible() && !Minimized()) DrawNow(draw);
  else draw(Scratch());
}

void CVantuPlayerDlg::ShowTime(int seconds) {
  auto* minutes = FindElementAs<CSkinNumberBase>(Elements(), 501);
  auto* secs = FindElementAs<CSkinNumberBase>(Elements(), 502);
  WithFace([&](gui::Canvas& face) {
    if (minutes) minutes->SetNumber(minutes->IsHidden() ? Scratch() : face, seconds <= 0 ? -1 : seconds / 60);
    if (secs) secs->SetNumber(secs->IsHidden() ? Scratch() : face, seconds <= 0 ? -1 : seconds % 60);
  });
}

void CVantuPlayerDlg::ShowStream(int bitrateKbps, int sampleRateHz) {
  bitRate_ = bitrateKbps;
  sampleRate_ = sampleRateHz / 1000;
  RefreshDisplay();
}

void CVantuPlayerDlg::ShowTitle(const std::string& title) {
  playIndicator_ = 1;
  secondIndicator_ = 0;
  title_ = title;
  RefreshDisplay();
}

void CVantuPlayerDlg::ResetDisplay() {
  bitRate_ = -1;
  sampleRate_ = -1;
  playIndicator_ = 0;
  secondIndicator_ = 0;
  RefreshDisplay();
}

void CVantuPlayerDlg::RefreshDisplay() {
  const SkinElementList* list = Elements();
  WithFace([&](gui::Canvas& face) {
    auto on = [&](const CSkinElement& e) -> gui::Canvas& { return e.IsHidden() ? Scratch() : face; };
    if (auto* e = FindElementAs<CSkinNumberBase>(list, 511)) e->SetNumber(on(*e), bitRate_);
    if (auto* e = FindElementAs<CSkinNumberBase>(list, 512)) e->SetNumber(on(*e), sampleRate_);
    if (auto* e = FindElementAs<CSkinImageSelector>(list, 521)) e->SetIndex(on(*e), playIndicator_);
    if (auto* e = FindElementAs<CSkinImageSelector>(list, 522)) e->SetIndex(on(*e), secondIndicator_);
    if (auto* e = FindElementAs<CSkinTextField>(list, 531)) e->SetText(on(*e), AnsiToUtf8(title_));
  });
}

void CVantuPlayerDlg::SetPositionMode(int mode) {
  if (auto* slider = FindElementAs<CSkinPositionSlider>(Elements(), 403)) slider->SetMode(*this, mode);
}

int CVantuPlayerDlg::PositionTravel() {
  auto* slider = FindElementAs<CSkinPositionSlider>(Elements(), 403);
  return slider && slider->usable() ? slider->travel() : 0;
}

void CVantuPlayerDlg::SetThumbPosition(int pixels) {
  if (auto* slider = FindElementAs<CSkinPositionSlider>(Elements(), 403)) slider->SetThumbPosition(*this, pixels);
}

void CVantuPlayerDlg::ReapplyLevel(int elementId) {
  if (auto* slider = FindElementAs<CSkinValueSlider>(Elements(), elementId)) SendElementChanged(*slider);
}

void CVantuPlayerDlg::NavigateBrowserIfOpen() {
  if (CBrowserWnd* window = BrowserWindow()) window->Navigate(shell_.PlayerPage());
}

void CVantuPlayerDlg::RedrawPlaylistIfOpen() {
  if (CPlaylistWnd* window = PlaylistWindow()) window->RedrawList();
}

void CVantuPlayerDlg::Wait(int ms) {
  // The windows stand still meanwhile, as the decoder's start asks.
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace vantu
