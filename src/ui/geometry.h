// Layout and fit arithmetic of the toolkit: window sizing, layout weights, aspect shrink, contain-fit,
// icon placement, progress width, rounded outlines and the hit-test walk. No Windows headers, so all of
// it is tested natively with exact numbers.
#pragma once
#include <cstdint>
#include <vector>

namespace ui {

struct Rect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  int32_t Width() const { return right - left; }
  int32_t Height() const { return bottom - top; }
  bool Contains(int32_t x, int32_t y) const { return x >= left && x < right && y >= top && y < bottom; }
  bool operator==(const Rect& o) const {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
};

// truncate(v + 0.5): the toolkit's one rounding rule (it rounds negative halves towards zero).
int32_t RoundHalfUp(double v);

struct WindowSize {
  double width, height, scale;
};
// Window size for a design size: the work area's longer side decides whether height or width follows the
// DPI ratio; the window never gets smaller than its design size.
WindowSize ComputeWindowSize(uint32_t designWidth, uint32_t designHeight, const Rect& workArea, double dpiRatio);
// Top-left corner that centres a window of `size` in the work area (integer halving of right/bottom).
void CentredPosition(const Rect& workArea, const WindowSize& size, int32_t* x, int32_t* y);

// An image resource's rectangle after its outsets (design pixels, scaled here) and its aspect shrink
// (0 = free).
Rect ApplyOutsetsAndAspect(Rect r, int32_t outsetX, int32_t outsetY, double aspect, double scale);
// Natural size iw x ih fitted into r, contained and centred. Requires iw, ih > 0.
Rect ContainFit(const Rect& r, double iw, double ih);
// A button's or checkbox's picture: scaled like ContainFit, placed at the left or right end, centred
// vertically.
Rect IconFit(const Rect& r, double iw, double ih, bool imageOnRight);
// The caption's rectangle beside an icon (x, y, width, height as the text layout takes it).
struct FloatBox {
  double x, y, width, height;
};
FloatBox TextBesideIcon(const Rect& r, const Rect& icon, bool imageOnRight);
// The filled part of a progress track; not clamped, so 150 % runs past the track.
Rect ProgressBar(const Rect& track, uint32_t percent);

// Layout of children by weights. direction 1 vertical, 2 horizontal; margins and spacing in design pixels.
struct LayoutSpec {
  int32_t direction = 0;
  uint32_t marginLeft = 0, marginTop = 0, marginRight = 0, marginBottom = 0, spacing = 0;
};
// The children's rectangles, or false when the rectangle is too small, the weights sum to 0, there are no
// children or the direction is neither 1 nor 2.
bool LayoutChildren(const LayoutSpec& spec, const Rect& r, const std::vector<uint32_t>& weights, double scale,
                    std::vector<Rect>* out);

// One quarter arc of a rounded outline: bounding box x, y, w, h and the start angle (sweep is 90).
struct Arc {
  int32_t x, y, w, h;
  float start;
};
// The four arcs (top-left, top-right, bottom-right, bottom-left) for diameter d in the box x, y, w, h,
// with the diameter-20 exception (wider last three arcs on a box narrowed by one).
void RoundedOutline(int32_t d, int32_t x, int32_t y, int32_t w, int32_t h, Arc arcs[4]);

// The hit-test walk over a view's list: clickable resources front-to-back by list order, passive images
// (types 0 and 4) last-match, layouts (9) skipped, 0 for nothing.
struct HitEntry {
  int32_t type;
  Rect rect;
};
int32_t HitTestWalk(const std::vector<HitEntry>& list, uint32_t lParam);

// The shared button updater of the popups and the reminder page. `states` is indexed like the list;
// only entries whose type is 2 (button) change. Message ids are passed in so this stays Windows-free.
enum class ButtonEvent { MouseMove, ButtonDown, Click, Other };
bool UpdateButtonStatesOf(const std::vector<int32_t>& types, std::vector<int32_t>* states, int32_t target,
                          ButtonEvent event);

}  // namespace ui
