#include "ui/geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace ui {

int32_t RoundHalfUp(double v) { return static_cast<int32_t>(v + 0.5); }

WindowSize ComputeWindowSize(uint32_t dw, uint32_t dh, const Rect& work, double r) {
  double a = static_cast<double>(dw) / dh;
  WindowSize s{};
  if (work.Width() > work.Height()) {
    s.height = std::max(dh * r, static_cast<double>(dh));
    s.width = s.height * a;
    s.scale = s.height / dh;
  } else {
    s.width = std::max(dw * r, static_cast<double>(dw));
    s.height = s.width / a;
    s.scale = s.width / dw;
  }
  return s;
}

void CentredPosition(const Rect& work, const WindowSize& size, int32_t* x, int32_t* y) {
  *x = work.right / 2 - RoundHalfUp(size.width / 2);
  *y = work.bottom / 2 - RoundHalfUp(size.height / 2);
}

Rect ApplyOutsetsAndAspect(Rect r, int32_t outsetX, int32_t outsetY, double aspect, double scale) {
  int32_t px = static_cast<int32_t>(scale * outsetX), py = static_cast<int32_t>(scale * outsetY);
  r.left -= px;
  r.right += px;
  r.top -= py;
  r.bottom += py;
  if (std::fabs(aspect) > 1e-8) {
    double w = r.Width(), h = r.Height();
    if (w / h > aspect) {
      double excess = w - aspect * h;
      r.left = RoundHalfUp(r.left + excess / 2);
      r.right = RoundHalfUp(r.right - excess / 2);
    } else {
      double excess = h - w / aspect;
      r.top = RoundHalfUp(r.top + excess / 2);
      r.bottom = RoundHalfUp(r.bottom - excess / 2);
    }
  }
  return r;
}

namespace {
double FitFactor(const Rect& r, double iw, double ih) {
  double w = r.Width(), h = r.Height();
  return (w / h > iw / ih) ? h / ih : w / iw;
}
}  // namespace

Rect ContainFit(const Rect& r, double iw, double ih) {
  double k = FitFactor(r, iw, ih);
  double ex = (r.Width() - iw * k) / 2, ey = (r.Height() - ih * k) / 2;
  return Rect{RoundHalfUp(r.left + ex), RoundHalfUp(r.top + ey), RoundHalfUp(r.right - ex),
              RoundHalfUp(r.bottom - ey)};
}

Rect IconFit(const Rect& r, double iw, double ih, bool imageOnRight) {
  double k = FitFactor(r, iw, ih);
  double w = r.Width(), h = r.Height(), fw = iw * k, fh = ih * k;
  Rect icon;
  if (imageOnRight) {
    icon.left = RoundHalfUp(r.left + (w - fw));
    icon.right = r.right;
  } else {
    icon.left = r.left;
    icon.right = RoundHalfUp(r.right - (w - fw));
  }
  icon.top = RoundHalfUp(r.top + (h - fh) / 2);
  icon.bottom = RoundHalfUp(r.bottom - (h - fh) / 2);
  return icon;
}

FloatBox TextBesideIcon(const Rect& r, const Rect& icon, bool imageOnRight) {
  double gap = r.Width() > 3 ? 3 : 0;
  double iconW = icon.Width();
  double width = r.Width() - gap - iconW;
  if (imageOnRight) return FloatBox{double(r.left), double(r.top), width, double(r.Height())};
  return FloatBox{r.left + gap + iconW, double(r.top), width, double(r.Height())};
}

Rect ProgressBar(const Rect& track, uint32_t percent) {
  // The percentage is not clamped, but a wild one saturates instead of wrapping the right edge around.
  double right = track.left + std::trunc(track.Width() * static_cast<double>(percent) / 100);
  right = std::min(right, static_cast<double>(INT32_MAX));
  return Rect{track.left, track.top, static_cast<int32_t>(right), track.bottom};
}

bool LayoutChildren(const LayoutSpec& spec, const Rect& r, const std::vector<uint32_t>& weights, double s,
                    std::vector<Rect>* out) {
  if (spec.direction != 1 && spec.direction != 2) return false;
  size_t n = weights.size();
  double sum = 0;
  for (uint32_t w : weights) sum += w;
  if (n == 0 || sum == 0) return false;
  double L = spec.marginLeft * s, T = spec.marginTop * s, R = spec.marginRight * s, B = spec.marginBottom * s,
         S = spec.spacing * s;
  double W = r.Width(), H = r.Height(), gaps = (n - 1) * S;
  out->clear();
  if (spec.direction == 1) {
    if (H < n + T + B + gaps || W < L + R) return false;
    double u = (H - T - B - gaps) / sum, y = r.top + T;
    for (uint32_t w : weights) {
      out->push_back(Rect{RoundHalfUp(r.left + L), RoundHalfUp(y), RoundHalfUp(r.right - R), RoundHalfUp(y + w * u)});
      y += w * u + S;
    }
  } else {
    if (W < n + L + R + gaps || H < T + B) return false;
    double u = (W - L - R - gaps) / sum, x = r.left + L;
    for (uint32_t w : weights) {
      out->push_back(Rect{RoundHalfUp(x), RoundHalfUp(r.top + T), RoundHalfUp(x + w * u), RoundHalfUp(r.bottom - B)});
      x += w * u + S;
    }
  }
  return true;
}

void RoundedOutline(int32_t d, int32_t x, int32_t y, int32_t w, int32_t h, Arc arcs[4]) {
  d = std::min({d, w, h});
  int32_t big = d;
  if (d == 20) {
    // The 20-pixel case draws its last three arcs one pixel larger on a box one pixel smaller, which
    // pushes the right and bottom edges one pixel out; pages are drawn to that outline.
    w -= 1;
    h -= 1;
    big = 21;
  }
  arcs[0] = Arc{x, y, d, d, 180.f};
  arcs[1] = Arc{x + w - d - 1, y, big, big, 270.f};
  arcs[2] = Arc{x + w - d - 1, y + h - d - 1, big, big, 0.f};
  arcs[3] = Arc{x, y + h - d - 1, big, big, 90.f};
}

int32_t HitTestWalk(const std::vector<HitEntry>& list, uint32_t lParam) {
  int32_t x = static_cast<int32_t>(lParam & 0xFFFF), y = static_cast<int32_t>((lParam >> 16) & 0xFFFF);
  int32_t passive = 0;
  for (size_t i = 0; i < list.size(); ++i) {
    const HitEntry& e = list[i];
    if (e.type == 9 || !e.rect.Contains(x, y)) continue;
    if (e.type == 0 || e.type == 4) {
      passive = static_cast<int32_t>(i);
      continue;
    }
    return static_cast<int32_t>(i);
  }
  return passive;
}

bool UpdateButtonStatesOf(const std::vector<int32_t>& types, std::vector<int32_t>* states, int32_t target,
                          ButtonEvent event) {
  constexpr int32_t kNormal = 0, kHover = 1, kPressed = 2, kDisabled = 3;
  bool changed = false;
  for (size_t i = 0; i < types.size() && i < states->size(); ++i) {
    if (types[i] != 2) continue;
    int32_t& st = (*states)[i];
    // A disabled button keeps its state: hovering a neighbour must not re-enable it.
    if (st == kDisabled) continue;
    int32_t want = kNormal;
    if (static_cast<int32_t>(i) == target) {
      if (event == ButtonEvent::MouseMove) want = kHover;
      else if (event == ButtonEvent::ButtonDown) want = kPressed;
      else if (event == ButtonEvent::Click) want = kNormal;
      else continue;
    }
    if (st != want) {
      st = want;
      changed = true;
    }
  }
  return changed;
}

}  // namespace ui
