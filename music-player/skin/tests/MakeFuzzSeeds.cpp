// make-skin-fuzz-seeds FOLDER: writes the seed skins of skin_reader_fuzz,
// small builder-made skins that reach every record kind, the tables and the
// reader's refusals (kept in tests/fuzz-seeds/skin_reader_fuzz/).
#include <cstdio>
#include <string>

#include "common/File.h"
#include "music-player/skin/tests/SkinTestSupport.h"

using namespace vantu::testing;
using skinbuilder::SkinWriter;
namespace fmt = vantu::skin_format;

namespace {

std::array<Bytes, 11> Eleven(int w, int h) {
  std::array<Bytes, 11> out;
  for (int i = 0; i < 11; ++i) out[i] = Solid(w, h, Rgb(i * 20, 0, 0));
  return out;
}

SkinWriter MainFrame() {
  SkinWriter w;
  w.Font(1, 0, "Face", 0, -8);
  w.ImageSet(2, 0, Eleven(2, 3));
  w.Frame(1, {0, 0, 32, 24}, Picture(32, 24, 1));
  w.DragHandle(fmt::kDragHandle, 1, {0, 0, 32, 3}, Solid(4, 3, 1), Solid(4, 3, 2));
  w.PushButton(101, {0, 4, 4, 8}, Picture(4, 4, 2), Picture(4, 4, 3));
  w.PushButton(125, {28, 0, 32, 3}, Solid(4, 3, 9), Solid(4, 3, 8), fmt::kHidden);
  w.ToggleButton(107, {4, 4, 8, 8}, Solid(4, 4, 1), Solid(4, 4, 2), Solid(4, 4, 3), Solid(4, 4, 4));
  w.ToggleButton(109, {8, 4, 12, 8}, Solid(4, 4, 1), Solid(4, 4, 2), Solid(4, 4, 3), Solid(4, 4, 4));
  w.ImageCounter(501, 0, {0, 10, 4, 13});
  w.NumberField(511, 0, {5, 10, 15, 14}, Rgb(0, 255, 0), Rgb(0, 0, 9));
  w.TextField(531, 0, {0, 15, 32, 20}, Rgb(255, 255, 0), Rgb(0, 9, 0));
  w.ImageSelector(521, {16, 10, 19, 13}, {Solid(3, 3, 5), Solid(3, 3, 6)});
  w.ResizeGrip(2, {28, 20, 32, 24}, Solid(4, 4, 7), Solid(4, 4, 8));
  return w;
}

SkinWriter SliderFrame() {
  SkinWriter w;
  w.SliderStyle(1, 1, 'H', Rgb(0, 0, 0), Rgb(200, 10, 0), Rgb(50, 50, 50), Solid(4, 3, 1), Solid(4, 3, 2),
                Solid(30, 3, 3));
  w.KnobStyle(2, 2, 'V', Solid(3, 3, 1), Solid(3, 3, 2), {Solid(3, 12, 4), Solid(3, 12, 5), Solid(3, 12, 6)});
  w.KnobStyle(3, 3, 'H', Solid(3, 3, 1), Solid(3, 3, 2), {}, 0xFF);
  w.Frame(4, {0, 0, 32, 24}, Solid(32, 24, 7));
  w.PositionSlider(403, 1, {0, 0, 30, 3}, {0, 4, 30, 5});
  w.ValueSlider(450, 2, {0, 6, 3, 18});
  w.ValueSlider(401, 3, {4, 6, 20, 9});
  w.ValueSlider(420, 9, {4, 10, 20, 13});
  return w;
}

SkinWriter PlaylistFrame() {
  SkinWriter w;
  w.Frame(7, {0, 0, 32, 24}, Solid(32, 24, 7));
  for (int id = 2101; id <= 2105; ++id) w.FixedPiece(id, Solid(4, 4, id & 0xFF));
  for (int id = 2001; id <= 2006; ++id) w.StretchPiece(id, Solid(2, 2, id & 0xFF));
  w.DragHandle(fmt::kTitleHandleA, 2001, {0, 0, 0, 4}, Solid(2, 4, 1), Solid(2, 4, 1));
  w.DragHandle(fmt::kTitleHandleB, 2102, {0, 0, 0, 4}, Solid(2, 4, 1), Solid(2, 4, 1));
  w.ListStyle(700, "List", 0, -9, {0, 0, 0, 0},
              {Rgb(1, 1, 1), Rgb(2, 2, 2), Rgb(3, 3, 3), Rgb(4, 4, 4), Rgb(5, 5, 5), Rgb(6, 6, 6), Rgb(7, 7, 7),
               Rgb(8, 8, 8)});
  w.ScrollBar(720, {1, 0, 3, 0}, Eleven(2, 2), 36);
  w.IconMenuButton(11, {1, 1, 4, 4}, Solid(3, 3, 1), Solid(3, 3, 2), Solid(1, 9, 3),
                   {{621, Solid(3, 3, 4), Solid(3, 3, 5)}, {622, Solid(3, 3, 6), Solid(3, 3, 7)}}, 65);
  w.PushButton(125, {0, 0, 3, 3}, Solid(3, 3, 9), Solid(3, 3, 8), 20);
  return w;
}

SkinWriter Oddities() {
  SkinWriter w;
  w.PushButton(101, {0, 0, 4, 4}, Solid(4, 4, 1), Solid(4, 4, 2));  // before any frame
  w.Frame(2, {0, 0, 16, 16}, Solid(16, 16, 3));
  w.Frame(2, {0, 0, 16, 16}, Solid(16, 16, 4));  // the same number again
  w.Frame(31, {0, 0, 16, 16}, Solid(16, 16, 4));
  w.Frame(3, {0, 0, 16, 16}, Solid(16, 16, 5));
  w.Record(12, 1, 0, skinbuilder::Payload().Raw(Bytes(20, 0x5A)));
  w.HeaderOnly(2, 8);
  w.Font(1, 60, "Face", 0, 8);
  w.Font(1, 1, std::string(128, 'F'), 0, 8);
  w.ImageSet(2, 77, Eleven(1, 1));
  w.NumberField(511, 1, {0, 0, 8, 8}, Rgb(1, 2, 3), Rgb(4, 5, 6));
  Bytes bad = Solid(4, 4, 6);
  bad[28] = 8;  // 8 bits per pixel
  w.PushButton(102, {0, 0, 4, 4}, bad, Solid(4, 4, 7));
  w.Raw({'T', 'A', 'G', ':', 0, 0, 0, 0, 3, 0, 0, 0});  // cut inside a header
  return w;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make-skin-fuzz-seeds FOLDER\n");
    return 2;
  }
  const common::Path folder = argv[1];
  const std::pair<const char*, SkinWriter> seeds[] = {
      {"main.Mpt", MainFrame()}, {"sliders.Mpt", SliderFrame()}, {"playlist.Mpt", PlaylistFrame()},
      {"oddities.Mpt", Oddities()}};
  for (const auto& [name, writer] : seeds) {
    if (!common::WriteFileAtomically(folder / name, writer.bytes())) {
      std::fprintf(stderr, "cannot write %s\n", name);
      return 1;
    }
  }
  return 0;
}
