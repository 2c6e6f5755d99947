// The browser window: the player's page in the system's web browser
// control. Without a control that can show pages (none registered, no page
// engine, as under Wine here), the window shows the page's address and a
// button that opens it in the user's default browser.
#pragma once

#include <memory>
#include <string>

#include "music-player/windows/BrowserControl.h"
#include "music-player/windows/SkinnedDialog.h"

namespace vantu {

class CVantuPlayerDlg;

inline constexpr char kBrowserFallbackText[] = "이 창에서는 웹 페이지를 보여 줄 수 없습니다.";
inline constexpr char kOpenInBrowserText[] = "기본 브라우저로 열기";

class CBrowserWnd : public CSizableSkinnedDialog {
 public:
  explicit CBrowserWnd(CVantuPlayerDlg& main);
  ~CBrowserWnd() override;

  int GetFrameIndex() override { return 9; }
  SkinRect GetInitialRect() override;
  void CreateWithOwner(CSkinnedDialog* owner) override;
  // The main window sends it to the player's page.
  void OnShown() override;
  void DrawElements(gui::Canvas& canvas) override;

  // Goes to the address in the control, never from the cache; without a
  // control that shows pages, the address and the button are shown.
  void Navigate(const std::string& address);

  const std::string& Address() const { return address_; }
  bool ShowsPage() const { return showsPage_; }
  // The fallback button, in client pixels (empty while a page shows).
  gui::Rect OpenButtonRect() const;

 protected:
  void OnSizeChanged() override;

 private:
  void PlaceControl();

  CVantuPlayerDlg& main_;
  std::unique_ptr<BrowserControl> control_;
  std::string address_;
  bool showsPage_ = false;
  bool buttonPressed_ = false;
};

}  // namespace vantu
