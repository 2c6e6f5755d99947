#include "music-player/skin/SkinFrameLayout.h"

namespace vantu {

namespace fmt = skin_format;

namespace {

struct Pieces {
  CSkinElement* stretch[6] = {};  // 2001-2006
  CSkinElement* fixed[5] = {};    // 2101-2105
};

SkinRect Size(const CSkinElement* e) { return e ? SkinRect{0, 0, e->rect.Width(), e->rect.Height()} : SkinRect{}; }

void Set(CSkinElement* e, const SkinRect& r) {
  if (e) e->rect = r;
}

// The piece an anchor code names, or null.
CSkinElement* AnchorPiece(const Pieces& p, std::uint8_t code) {
  switch (code) {
    case 17: return p.fixed[0];    // 2101
    case 18: return p.fixed[1];    // 2102
    case 20: return p.fixed[2];    // 2103
    case 33: return p.stretch[2];  // 2003
    case 34: return p.stretch[5];  // 2006
    case 36: return p.stretch[3];  // 2004
    case 65: return p.fixed[3];    // 2104
    case 66: return p.stretch[4];  // 2005
    case 68: return p.fixed[4];    // 2105
    default: return nullptr;
  }
}

}  // namespace

void LayoutSkinFrame(const SkinElementList& list, int W, int H) {
  Pieces p;
  for (int i = 0; i < 6; ++i) {
    p.stretch[i] = FindElementOfTypeAndId(&list, fmt::kStretchPiece, 2001 + i);
  }
  for (int i = 0; i < 5; ++i) p.fixed[i] = FindElementOfTypeAndId(&list, fmt::kFixedPiece, 2101 + i);
  auto& [e2001, e2002, e2003, e2004, e2005, e2006] = p.stretch;
  auto& [f2101, f2102, f2103, f2104, f2105] = p.fixed;

  const int half = (W - Size(f2101).right - Size(f2102).right - Size(f2103).right - 1) / 2;
  Set(f2101, Size(f2101));
  if (e2001) e2001->rect = {Size(f2101).right, e2001->rect.top, Size(f2101).right + half + 1, e2001->rect.bottom};
  const int r2001 = e2001 ? e2001->rect.right : Size(f2101).right;
  Set(f2102, {r2001, 0, r2001 + Size(f2102).right, Size(f2102).bottom});
  const int r2102 = f2102 ? f2102->rect.right : r2001;
  if (e2002) e2002->rect = {r2102, e2002->rect.top, r2102 + half + 1, e2002->rect.bottom};
  Set(f2103, {W - Size(f2103).right, 0, W, Size(f2103).bottom});
  Set(e2003, {0, Size(f2101).bottom, Size(e2003).right, H - Size(f2104).bottom});
  Set(e2004, {W - Size(e2004).right, Size(f2103).bottom, W, H - Size(f2105).bottom});
  Set(f2104, {0, H - Size(f2104).bottom, Size(f2104).right, H});
  Set(f2105, {W - Size(f2105).right, H - Size(f2105).bottom, W, H});
  Set(e2005, {Size(f2104).right, H - Size(e2005).bottom, W - Size(f2105).right, H});
  Set(e2006, {e2003 ? e2003->rect.right : 0, e2001 ? e2001->rect.bottom : 0, e2004 ? e2004->rect.left : W,
              e2005 ? e2005->rect.top : H});

  // Anchored elements follow their piece.
  for (const auto& e : list) {
    if (e->type == fmt::kStretchPiece || e->type == fmt::kFixedPiece) continue;
    const CSkinElement* piece = AnchorPiece(p, e->AnchorCode());
    if (!piece) continue;
    SkinRect r = e->skinRect.Moved(piece->rect.left, piece->rect.top);
    if (e->skinRect.right == 0) r.right = piece->rect.right;
    if (e->skinRect.bottom == 0) r.bottom = piece->rect.bottom;
    e->rect = r;
  }

  // Title handles take the extents of their pieces.
  const struct { std::uint32_t type; std::int32_t id; CSkinElement* piece; } titles[] = {
      {fmt::kTitleHandleA, 2001, e2001}, {fmt::kTitleHandleA, 2002, e2002}, {fmt::kTitleHandleB, 2101, f2101},
      {fmt::kTitleHandleB, 2102, f2102}, {fmt::kTitleHandleB, 2103, f2103},
  };
  for (const auto& t : titles) {
    CSkinElement* handle = FindElementOfTypeAndId(&list, t.type, t.id);
    if (!handle || !t.piece) continue;
    handle->rect.left = t.piece->rect.left;
    handle->rect.right = t.piece->rect.right;
  }
}

CSkinElement* ElementAtPoint(const SkinElementList* list, int x, int y) {
  if (!list) return nullptr;
  CSkinElement* best = nullptr;
  for (const auto& e : *list) {
    if (e->type == fmt::kFrameBackground || e->IgnoresMouse() || !e->rect.Contains(x, y)) continue;
    if (!best || e->type < best->type) best = e.get();
  }
  return best;
}

}  // namespace vantu
