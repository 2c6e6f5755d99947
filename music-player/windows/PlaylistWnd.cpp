#include "music-player/windows/PlaylistWnd.h"

#include <algorithm>

#include "music-player/AnsiText.h"
#include "music-player/skin/SkinSlider.h"
#include "music-player/windows/SecondaryWindow.h"
#include "music-player/windows/VantuPlayerDlg.h"
#include "platform/gui/Application.h"
#include "platform/gui/FileDialog.h"

namespace vantu {

namespace {

constexpr char kListExtension[] = "lirn";
constexpr char kListFilter[] = "Vantu PlayList (lirn) {*.lirn}|*.lirn|All Files {*.*}|*.*||";
constexpr char kListNotSaved[] = "재생 목록을 저장하지 못했습니다.";
constexpr char kListDamaged[] = "재생 목록 파일이 손상되어 읽지 못했습니다.";
constexpr char kListPathTooLong[] = "재생 목록 경로가 너무 길어 다음 시작 때 읽을 수 없습니다.";

PlaylistStyle StyleOf(const CSkinListStyle& e) {
  PlaylistStyle style;
  style.face = e.face;
  style.charWidth = e.fontWidth;
  style.height = e.fontHeight;
  style.normal = {e.colors[0], e.colors[1]};
  style.selected = {e.colors[2], e.colors[3]};
  style.current = {e.colors[4], e.colors[5]};
  style.currentSelected = {e.colors[6], e.colors[7]};
  return style;
}

}  // namespace

CPlaylistWnd::CPlaylistWnd(CVantuPlayerDlg& main)
    : CSizableSkinnedDialog(main.Settings()), main_(main), view_(main.PlayerApp().Playlist()) {
  SetCaption("Vantu Playlist");
  SetAcceptFiles(true);
  OnMouseDown = [this](const gui::MouseEvent& e) {
    if (e.button != gui::MouseButton::kLeft) return;
    if (InView(e.client)) {
      CaptureMouse();
      pressInList_ = true;
      const gui::Point p = InViewCoordinates(e.client);
      view_.OnButtonDown(static_cast<std::uint32_t>(e.keys), p.x, p.y);
      RedrawList();
    } else {
      pressInList_ = false;
    }
    BaseMouseDown(e);
  };
  OnMouseUp = [this](const gui::MouseEvent& e) {
    if (e.button != gui::MouseButton::kLeft) return;
    if (InView(e.client)) {
      const gui::Point p = InViewCoordinates(e.client);
      view_.OnButtonUp(static_cast<std::uint32_t>(e.keys), p.x, p.y);
      RedrawList();
    }
    pressInList_ = false;
    ReleaseMouse();
    BaseMouseUp(e);
  };
  OnMouseMove = [this](const gui::MouseEvent& e) {
    if (pressInList_ && InView(e.client)) {
      const gui::Point p = InViewCoordinates(e.client);
      if (view_.OnDrag(p.x, p.y)) RedrawList();
    }
    BaseMouseMove(e);
  };
  OnDoubleClick = [this](const gui::MouseEvent& e) {
    WindowHandlerScope scope;
    if (InView(e.client)) main_.PlayChosenEntry();
  };
  OnMouseWheel = [this](const gui::MouseEvent& e) { PostCommand(720, e.wheelDelta < 0 ? 2 : 1); };
  OnKeyDown = [this](int key) { KeyDown(key); };
  OnDropFiles = [this](const std::vector<std::string>& paths, gui::Point) {
    WindowHandlerScope scope;
    CPlaylist& playlist = main_.PlayerApp().Playlist();
    for (const auto& path : paths) {
      const std::string ansi = Utf8ToAnsi(path);
      if (!ansi.empty() && ansi.size() <= kMaxDroppedPath) playlist.AddFile(ansi);
    }
    if (Closed()) return;  // closed during a refusal's message box: nothing to draw on
    RedrawList();
    RefreshScroll();
  };
}

CPlaylistWnd::~CPlaylistWnd() { Destroy(); }

int CPlaylistWnd::GetFrameIndex() {
  return VariantFrame(settings_, 6);
}

SkinRect CPlaylistWnd::GetInitialRect() {
  return SecondaryInitialRect(*this, SettingsRect::kPlaylistWindow, SettingsWord::kPlaylistWindowOpen);
}

void CPlaylistWnd::OnLayoutInit() {
  CSizableSkinnedDialog::OnLayoutInit();
  listElement_ = FindElementAs<CSkinListStyle>(Elements(), 700);
  if (listElement_) view_.SetStyle(StyleOf(*listElement_));
  PlaceView();
  scroll_ = FindElementAs<CSkinScrollBar>(Elements(), 720);
  UpdateScroll();
}

void CPlaylistWnd::OnSizeChanged() {
  CSizableSkinnedDialog::OnSizeChanged();
  PlaceView();
  if (scroll_) UpdateScroll();
}

void CPlaylistWnd::PlaceView() {
  if (const CSkinElement* piece = CentrePiece()) {
    view_.SetBounds(piece->rect.left, piece->rect.top, piece->rect.right, piece->rect.bottom);
  }
}

bool CPlaylistWnd::InView(gui::Point client) const { return gui::Contains(view_.Bounds(), client); }

gui::Point CPlaylistWnd::InViewCoordinates(gui::Point client) const {
  return {client.x - view_.Bounds().left, client.y - view_.Bounds().top};
}

void CPlaylistWnd::DrawElements(gui::Canvas& canvas) {
  CSizableSkinnedDialog::DrawElements(canvas);
  if (!CentrePiece()) return;
  PlaceView();
  const gui::Rect bounds = view_.Bounds();
  if (bounds.width > 0 && bounds.height > 0) {
    canvas.Buffered(bounds, [this](gui::Canvas& list) { view_.DrawList(list); });
  }
}

void CPlaylistWnd::RedrawList() {
  if (!CentrePiece()) return;
  PlaceView();
  const gui::Rect bounds = view_.Bounds();
  if (bounds.width <= 0 || bounds.height <= 0) return;
  DrawNow([&](gui::Canvas& face) {
    face.Buffered(bounds, [this](gui::Canvas& list) { view_.DrawList(list); });
  });
}

void CPlaylistWnd::UpdateScroll() {
  const int L = view_.LineHeight();
  const int H = view_.Height();
  const int N = main_.PlayerApp().Playlist().Count();
  int T = view_.TopRow();
  const int page = L > 0 ? (H + L - 8) / L : 0;
  const int total = std::max(N, page);
  if (T > page + total - 3) {
    T = std::max(0, total - page - 2);
    view_.SetTopRow(T);
  }
  if (scroll_) scroll_->SetScrollRange(total, page, T);
}

void CPlaylistWnd::RefreshScroll() {
  UpdateScroll();
  if (scroll_) RedrawElement(*scroll_);
}

int CPlaylistWnd::ScrollDown() {
  const int N = main_.PlayerApp().Playlist().Count();
  const int T = view_.TopRow() + 1;
  if (N - view_.VisibleRows() + 1 >= T) {
    view_.SetTopRow(T);
    return 1;
  }
  view_.SetTopRow(std::max(0, N - view_.VisibleRows()));
  return 0;
}

void CPlaylistWnd::KeyDown(int key) {
  CPlaylist& playlist = main_.PlayerApp().Playlist();
  switch (key) {
    case gui::keys::kUp:
      if (view_.TopRow() - 1 < 0) {
        view_.SetTopRow(0);
        return;
      }
      view_.SetTopRow(view_.TopRow() - 1);
      RedrawList();
      RefreshScroll();
      break;
    case gui::keys::kDown:
      if (ScrollDown() == 1) {
        RedrawList();
        RefreshScroll();
      }
      break;
    case gui::keys::kDelete:
      playlist.RemoveSelected();
      RefreshScroll();
      RedrawList();
      break;
    default: break;
  }
}

void CPlaylistWnd::OnCommand(std::uint32_t id, std::intptr_t lParam) {
  if (!Visible()) return;  // closed: its last posted commands are dropped
  CPlaylist& playlist = main_.PlayerApp().Playlist();
  switch (id) {
    case 603: AddFromDialog(); break;
    case 611:
    case 641:
      playlist.Clear();
      RedrawList();
      RefreshScroll();
      break;
    case 612:
    case 613:
      playlist.RemoveSelected();
      RedrawList();
      RefreshScroll();
      break;
    case 621: playlist.InvertSelection(); RedrawList(); break;
    case 622: playlist.SelectNone(); RedrawList(); break;
    case 623: playlist.SelectAll(); RedrawList(); break;
    case 642: SaveList(); break;
    case 643: OpenList(); break;
    case 720: {
      const int mode = static_cast<int>(lParam & 0xFFFF);
      const int row = static_cast<int>((lParam >> 16) & 0xFFFF);
      if (mode == 1) {
        if (view_.TopRow() - 1 < 0) {
          view_.SetTopRow(0);
          return;
        }
        view_.SetTopRow(view_.TopRow() - 1);
      } else if (mode == 2) {
        if (ScrollDown() == 0) return;
      } else if (mode == 3) {
        view_.SetTopRow(row);
      } else {
        return;
      }
      RedrawList();
      RefreshScroll();
      break;
    }
    default: break;
  }
}

void CPlaylistWnd::AddFromDialog() {
  gui::FileDialog dialog(this, gui::FileDialog::Mode::kOpen);
  dialog.SetMultiSelect(true);
  dialog.SetDefaultExtension(kAudioDefaultExtension);
  dialog.SetFilterText(kAudioFileFilter);
  if (!dialog.Execute()) return;
  CPlaylist& playlist = main_.PlayerApp().Playlist();
  for (const auto& file : dialog.Files()) playlist.AddFile(Utf8ToAnsi(file));
  if (Closed()) return;  // closed while the dialog was open: the files are in the list
  RedrawList();
  RefreshScroll();
}

namespace {

void SetUpListDialog(gui::FileDialog& dialog, const std::string& playlistPath) {
  dialog.SetDefaultExtension(kListExtension);
  dialog.SetFileName(AnsiToUtf8(FileNameOf(playlistPath).value_or("")));
  dialog.SetFilterText(kListFilter);
}

}  // namespace

void CPlaylistWnd::SaveList() {
  CVantuPlayerApp& app = main_.PlayerApp();
  gui::FileDialog dialog(this, gui::FileDialog::Mode::kSave);
  SetUpListDialog(dialog, app.PlaylistPath());
  if (!dialog.Execute()) return;
  const std::string path = Utf8ToAnsi(dialog.FileName());
  if (!app.SetPlaylistPath(path)) gui::App().MessageBox(kListPathTooLong, Caption(), gui::Buttons::kOk, gui::MsgIcon::kWarning);
  if (!app.Playlist().SavePlaylistFile(PathFromCp949(path))) {
    gui::App().MessageBox(std::string(kListNotSaved) + "\n" + dialog.FileName(), Caption(), gui::Buttons::kOk,
                          gui::MsgIcon::kError);
  }
}

void CPlaylistWnd::OpenList() {
  CVantuPlayerApp& app = main_.PlayerApp();
  gui::FileDialog dialog(this, gui::FileDialog::Mode::kOpen);
  SetUpListDialog(dialog, app.PlaylistPath());
  if (!dialog.Execute()) return;
  const std::string path = Utf8ToAnsi(dialog.FileName());
  const common::Path file = PathFromCp949(path);
  // A list that cannot be read leaves the playlist as it is: read it
  // aside first.
  CPlaylist probe;
  probe.ShowMessage = [](const std::string&) {};
  const auto result = probe.LoadPlaylistFile(file);
  if (result == CPlaylist::LoadResult::kDamaged) {
    gui::App().MessageBox(std::string(kListDamaged) + "\n" + dialog.FileName(), Caption(), gui::Buttons::kOk,
                          gui::MsgIcon::kWarning);
  }
  if (result != CPlaylist::LoadResult::kLoaded) return;
  app.Playlist().Clear();
  if (!app.SetPlaylistPath(path)) gui::App().MessageBox(kListPathTooLong, Caption(), gui::Buttons::kOk, gui::MsgIcon::kWarning);
  app.Playlist().LoadPlaylistFile(file);
  if (Closed()) return;
  view_.SetTopRow(0);
  RedrawList();
  RefreshScroll();
}

}  // namespace vantu
