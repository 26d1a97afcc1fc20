#include "ui/geometry.h"

#include <gtest/gtest.h>

using ui::Rect;

namespace {

struct SizingCase {
  const char* name;
  Rect work;
  uint32_t dw, dh;
  double ratio;
  double w, h, scale;
};

TEST(ComputeWindowSize, LandscapeFollowsHeightPortraitFollowsWidthNeverSmaller) {
  const SizingCase cases[] = {
      {"landscape 1.25", {0, 0, 1920, 1040}, 600, 400, 1.25, 750, 500, 1.25},
      {"landscape 0.9 keeps design size", {0, 0, 1920, 1040}, 600, 400, 0.9, 600, 400, 1.0},
      {"portrait 1.5", {0, 0, 1040, 1920}, 600, 400, 1.5, 900, 600, 1.5},
      {"portrait 0.5 keeps design size", {0, 0, 1040, 1920}, 600, 400, 0.5, 600, 400, 1.0},
      {"square work area counts as portrait", {0, 0, 1000, 1000}, 400, 200, 2.0, 800, 400, 2.0},
      {"popup 400x200 at 1.25", {0, 0, 1920, 1040}, 400, 200, 1.25, 500, 250, 1.25},
  };
  for (const auto& c : cases) {
    ui::WindowSize s = ui::ComputeWindowSize(c.dw, c.dh, c.work, c.ratio);
    EXPECT_DOUBLE_EQ(s.width, c.w) << c.name;
    EXPECT_DOUBLE_EQ(s.height, c.h) << c.name;
    EXPECT_DOUBLE_EQ(s.scale, c.scale) << c.name;
  }
}

TEST(CentredPosition, HalvesWorkAreaByIntegerDivisionAndRoundsTheHalfSize) {
  int32_t x = 0, y = 0;
  ui::CentredPosition({0, 0, 1921, 1041}, {750, 500, 1.25}, &x, &y);
  EXPECT_EQ(x, 960 - 375);
  EXPECT_EQ(y, 520 - 250);
  ui::CentredPosition({0, 0, 1920, 1040}, {601, 401, 1.0}, &x, &y);  // 300.5 rounds to 301
  EXPECT_EQ(x, 960 - 301);
  EXPECT_EQ(y, 520 - 201);
}

TEST(ApplyOutsetsAndAspect, ShrinksToAspectCentredAndAppliesScaledOutsets) {
  struct Case {
    Rect in;
    int32_t ox, oy;
    double aspect, scale;
    Rect out;
  } cases[] = {
      {{0, 0, 350, 50}, 0, 0, 3.5, 1.0, {88, 0, 263, 50}},
      {{0, 0, 28, 40}, 0, 0, 1.0, 1.0, {0, 6, 28, 34}},
      {{0, 0, 350, 50}, 0, 0, 0.0, 1.0, {0, 0, 350, 50}},      // free aspect
      {{10, 10, 20, 20}, 3, -2, 0.0, 1.5, {6, 13, 24, 17}},    // truncate(4.5)=4, truncate(-3)=-3
      {{0, 0, 100, 100}, 0, 0, 1e-9, 1.0, {0, 0, 100, 100}},   // below the aspect threshold
  };
  for (const auto& c : cases) {
    Rect r = ui::ApplyOutsetsAndAspect(c.in, c.ox, c.oy, c.aspect, c.scale);
    EXPECT_EQ(r, c.out) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
  }
}

TEST(ContainFit, CentresTheImageInsideTheRectangle) {
  struct Case {
    Rect r;
    double iw, ih;
    Rect out;
  } cases[] = {
      {{0, 0, 600, 400}, 1200, 800, {0, 0, 600, 400}},
      {{0, 0, 600, 200}, 1200, 600, {100, 0, 500, 200}},  // too wide: height decides
      {{0, 0, 100, 200}, 60, 60, {0, 50, 100, 150}},      // too tall: width decides
      {{5, 5, 8, 8}, 240, 240, {5, 5, 8, 8}},
  };
  for (const auto& c : cases) EXPECT_EQ(ui::ContainFit(c.r, c.iw, c.ih), c.out);
}

TEST(IconFit, SquareIconTakesTheLeftOrRightEndAndCaptionStartsThreePixelsAway) {
  Rect button{0, 0, 100, 24};
  Rect left = ui::IconFit(button, 32, 32, false);
  EXPECT_EQ(left, (Rect{0, 0, 24, 24}));
  ui::FloatBox text = ui::TextBesideIcon(button, left, false);
  EXPECT_DOUBLE_EQ(text.x, 27);
  EXPECT_DOUBLE_EQ(text.width, 73);

  Rect right = ui::IconFit(button, 32, 32, true);
  EXPECT_EQ(right, (Rect{76, 0, 100, 24}));
  text = ui::TextBesideIcon(button, right, true);
  EXPECT_DOUBLE_EQ(text.x, 0);
  EXPECT_DOUBLE_EQ(text.width, 73);

  // A rectangle of 3 pixels or less gets no gap.
  Rect tiny{0, 0, 3, 3};
  text = ui::TextBesideIcon(tiny, ui::IconFit(tiny, 32, 32, false), false);
  EXPECT_DOUBLE_EQ(text.x, 3);
  EXPECT_DOUBLE_EQ(text.width, 0);

  // A tall icon in a wide button is centred vertically.
  EXPECT_EQ(ui::IconFit({0, 0, 100, 40}, 10, 20, false), (Rect{0, 0, 20, 40}));
  EXPECT_EQ(ui::IconFit({0, 0, 10, 40}, 10, 10, false), (Rect{0, 15, 10, 25}));
}

TEST(ProgressBar, WidthIsTruncatedShareOfTheTrackAndNotClamped) {
  struct Case {
    uint32_t percent;
    int32_t right;
  } cases[] = {{0, 10}, {45, 10 + 135}, {100, 311}, {150, 10 + 451}, {0xFFFFFFFFu, INT32_MAX}};
  for (const auto& c : cases) {
    Rect bar = ui::ProgressBar({10, 5, 311, 25}, c.percent);
    EXPECT_EQ(bar.left, 10);
    EXPECT_EQ(bar.top, 5);
    EXPECT_EQ(bar.bottom, 25);
    EXPECT_EQ(bar.right, c.right) << c.percent;  // the last one saturates instead of wrapping
  }
}

struct LayoutCase {
  const char* name;
  ui::LayoutSpec spec;
  Rect r;
  std::vector<uint32_t> weights;
  double scale;
  bool ok;
  std::vector<Rect> out;
};

TEST(LayoutChildren, WeightsMarginsSpacingAndFailureRules) {
  const LayoutCase cases[] = {
      {"vertical halves", {1}, {0, 0, 100, 100}, {1, 1}, 1.0, true, {{0, 0, 100, 50}, {0, 50, 100, 100}}},
      {"vertical thirds share rounded edges", {1}, {0, 0, 100, 100}, {1, 1, 1}, 1.0, true,
       {{0, 0, 100, 33}, {0, 33, 100, 67}, {0, 67, 100, 100}}},
      {"horizontal 300 with margins fits", {2, 10, 0, 10, 0, 0}, {0, 0, 300, 20}, {1, 1, 1}, 1.0, true,
       {{10, 0, 103, 20}, {103, 0, 197, 20}, {197, 0, 290, 20}}},
      {"horizontal 20 with margins fails", {2, 10, 0, 10, 0, 0}, {0, 0, 20, 20}, {1, 1, 1}, 1.0, false, {}},
      {"horizontal 23 is just enough", {2, 10, 0, 10, 0, 0}, {0, 0, 23, 20}, {1, 1, 1}, 1.0, true,
       {{10, 0, 11, 20}, {11, 0, 12, 20}, {12, 0, 13, 20}}},
      {"vertical shorter than children plus margins", {1, 0, 2, 0, 2, 0}, {0, 0, 50, 6}, {1, 1, 1}, 1.0, false, {}},
      {"vertical narrower than side margins", {1, 30, 0, 30, 0, 0}, {0, 0, 50, 100}, {1}, 1.0, false, {}},
      {"all weights zero", {1}, {0, 0, 100, 100}, {0, 0}, 1.0, false, {}},
      {"no children", {1}, {0, 0, 100, 100}, {}, 1.0, false, {}},
      {"unknown direction places nothing", {3}, {0, 0, 100, 100}, {1}, 1.0, false, {}},
      {"zero weight child gets an empty slot", {1}, {0, 0, 100, 100}, {1, 0, 1},
       1.0, true, {{0, 0, 100, 50}, {0, 50, 100, 50}, {0, 50, 100, 100}}},
      {"spacing and margins scale", {1, 4, 4, 4, 4, 8}, {0, 0, 100, 100}, {1, 1}, 1.25, true,
       {{5, 5, 95, 45}, {5, 55, 95, 95}}},
      {"offset rectangle", {2}, {100, 50, 200, 60}, {1, 3}, 1.0, true, {{100, 50, 125, 60}, {125, 50, 200, 60}}},
  };
  for (const auto& c : cases) {
    std::vector<Rect> out;
    bool ok = ui::LayoutChildren(c.spec, c.r, c.weights, c.scale, &out);
    EXPECT_EQ(ok, c.ok) << c.name;
    if (!ok || !c.ok) continue;
    ASSERT_EQ(out.size(), c.out.size()) << c.name;
    for (size_t i = 0; i < out.size(); ++i)
      EXPECT_EQ(out[i], c.out[i]) << c.name << " child " << i << ": " << out[i].left << "," << out[i].top << ","
                                  << out[i].right << "," << out[i].bottom;
  }
}

TEST(RoundedOutline, DiameterTwentyUsesWiderArcsOnANarrowedBox) {
  ui::Arc a[4];
  ui::RoundedOutline(20, 0, 0, 100, 40, a);
  EXPECT_EQ(a[0].x, 0);
  EXPECT_EQ(a[0].w, 20);
  EXPECT_EQ(a[1].x, 99 - 20 - 1);
  EXPECT_EQ(a[1].w, 21);
  EXPECT_EQ(a[2].y, 39 - 20 - 1);
  EXPECT_EQ(a[2].h, 21);
  EXPECT_EQ(a[3].w, 21);
  // The narrowed box and the wider arcs still end the right edge at x + w - 1, like every other diameter.
  EXPECT_EQ(a[1].x + a[1].w, 99);

  ui::RoundedOutline(22, 0, 0, 100, 40, a);
  EXPECT_EQ(a[1].x, 100 - 22 - 1);
  EXPECT_EQ(a[1].w, 22);
  EXPECT_EQ(a[1].x + a[1].w, 99);

  // The diameter is clamped by the box: a pill of radius 100 on a 20-high track hits the exception too.
  ui::RoundedOutline(200, 0, 0, 301, 20, a);
  EXPECT_EQ(a[0].w, 20);
  EXPECT_EQ(a[1].w, 21);
  EXPECT_EQ(a[1].x, 300 - 20 - 1);
  EXPECT_FLOAT_EQ(a[0].start, 180.f);
  EXPECT_FLOAT_EQ(a[1].start, 270.f);
  EXPECT_FLOAT_EQ(a[2].start, 0.f);
  EXPECT_FLOAT_EQ(a[3].start, 90.f);
}

uint32_t Pt(int x, int y) { return static_cast<uint32_t>(x) | (static_cast<uint32_t>(y) << 16); }

TEST(HitTestWalk, ClickablesFirstMatchPassivesLastMatchLayoutsSkipped) {
  std::vector<ui::HitEntry> list = {
      {9, {0, 0, 600, 400}},    // 0 root layout
      {0, {0, 0, 600, 400}},    // 1 background image
      {2, {10, 10, 110, 40}},   // 2 button
      {0, {0, 0, 200, 200}},    // 3 decoration lying over the button
      {5, {10, 10, 110, 40}},   // 4 text under the same point, later in the list
      {4, {300, 0, 600, 200}},  // 5 animated banner
  };
  struct Case {
    uint32_t lParam;
    int32_t index;
  } cases[] = {
      {Pt(20, 20), 2},     // the button wins over the later text and the passive images
      {Pt(110, 20), 3},    // right edge exclusive: only passives are left, the last one wins
      {Pt(10, 10), 2},     // left/top inclusive
      {Pt(400, 100), 5},   // banner over background
      {Pt(500, 300), 1},   // background only
      {Pt(700, 700), 0},   // nothing: 0
      {0xFFFFFFFFu, 0},    // coordinates are unsigned: no negative point hits
  };
  for (const auto& c : cases) EXPECT_EQ(ui::HitTestWalk(list, c.lParam), c.index) << std::hex << c.lParam;
  EXPECT_EQ(ui::HitTestWalk({}, Pt(1, 1)), 0);
}

TEST(UpdateButtonStatesOf, TargetFollowsTheMessageOthersRestDisabledStays) {
  using E = ui::ButtonEvent;
  const std::vector<int32_t> types = {9, 2, 2, 5, 2};
  struct Case {
    std::vector<int32_t> before;
    int32_t target;
    E event;
    std::vector<int32_t> after;
    bool changed;
  } cases[] = {
      {{0, 0, 0, 0, 0}, 1, E::MouseMove, {0, 1, 0, 0, 0}, true},
      {{0, 1, 0, 0, 0}, 1, E::MouseMove, {0, 1, 0, 0, 0}, false},
      {{0, 1, 0, 0, 0}, 2, E::MouseMove, {0, 0, 1, 0, 0}, true},
      {{0, 1, 0, 0, 0}, 1, E::ButtonDown, {0, 2, 0, 0, 0}, true},
      {{0, 2, 0, 0, 0}, 1, E::Click, {0, 0, 0, 0, 0}, true},
      {{0, 1, 0, 0, 0}, 0, E::MouseMove, {0, 0, 0, 0, 0}, true},   // not a button: every button rests
      {{0, 0, 0, 0, 3}, 1, E::MouseMove, {0, 1, 0, 0, 3}, true},   // disabled neighbour stays disabled
      {{0, 0, 0, 0, 3}, 4, E::ButtonDown, {0, 0, 0, 0, 3}, false}, // and does not press
      {{0, 0, 0, 7, 0}, 3, E::MouseMove, {0, 0, 0, 7, 0}, false},  // non-buttons untouched
  };
  for (const auto& c : cases) {
    std::vector<int32_t> st = c.before;
    EXPECT_EQ(ui::UpdateButtonStatesOf(types, &st, c.target, c.event), c.changed);
    EXPECT_EQ(st, c.after);
  }
}

}  // namespace
