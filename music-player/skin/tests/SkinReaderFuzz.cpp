// Fuzz target of the skin reader: any bytes as a skin file, then every frame
// laid out and drawn into a small canvas, and every element pressed, moved
// and released, so the values the file gave reach the drawing and mouse code.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "music-player/skin/SkinFrameLayout.h"
#include "music-player/skin/tests/SkinTestSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vantu;
  PlayerSettings settings;
  CSkin skin(settings);
  skin.LoadSkinBytes(std::vector<std::uint8_t>(data, data + size));
  testing::TestWindow window(settings, 64, 48);
  for (int slot = 0; slot < skin_format::kFrameSlots; ++slot) {
    SkinElementList* list = skin.Frame(slot);
    if (!list) continue;
    window.background = FindElementOfType(list, skin_format::kFrameBackground);
    LayoutSkinFrame(*list, 64, 48);
    for (const auto& e : *list) {
      e->Draw(window.canvas);
      if (auto* slider = dynamic_cast<CSkinPositionSlider*>(e.get())) slider->SetMode(window, 2);
      if (auto* number = dynamic_cast<CSkinNumberBase*>(e.get())) number->SetNumber(window.canvas, 123);
      if (auto* scroll = dynamic_cast<CSkinScrollBar*>(e.get())) {
        scroll->SetScrollRange(40, 7, 3);
        scroll->Draw(window.canvas);
      }
      const SkinRect r = e->rect;
      window.Press(*e, r.left + 1, r.top + 1);
      if (CSkinDropDown* d = window.dropDown) {
        d->OnPaint(window.dropCanvas);
        d->OnMouseMove(window, 1, 1);
        d->OnLButtonDown(window);
      }
      window.Move(*e, r.right + 5, r.bottom + 5);
      window.Move(*e, r.left - 5, r.top - 5);
      window.Release(*e, r.left + 1, r.top + 1);
      e->Draw(window.canvas);
    }
  }
  return 0;
}
