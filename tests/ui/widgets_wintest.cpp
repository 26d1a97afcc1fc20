#include <gtest/gtest.h>

#include "net/app_environment.h"
#include "ui/paint.h"
#include "ui/resource.h"
#include "ui_support.h"

namespace {

constexpr uint32_t kBlue = 0xFF4197FF;

class Widgets : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!GetAppEnvironment()) CreateAppEnvironment();
    GetAppEnvironment()->scale = 1.0;
  }
  void TearDown() override { GetAppEnvironment()->scale = 1.0; }
  GdiplusScope gdiplus_;
};

StyleSet FillStyle(uint32_t fill, uint32_t radius) {
  StyleSet st = DefaultStyleSet();
  for (auto& s : st) {
    s.fillColor = fill;
    s.cornerRadius = radius;
  }
  return st;
}

struct CornerCounts {
  int tl = 0, tr = 0, bl = 0, br = 0;
};
// Transparent pixels in the 14 x 14 squares at the corners of r.
CornerCounts CountCornerGaps(const Surface& s, const ui::Rect& r) {
  CornerCounts c;
  for (int dy = 0; dy < 14; ++dy)
    for (int dx = 0; dx < 14; ++dx) {
      c.tl += Surface::Alpha(s.At(r.left + dx, r.top + dy)) == 0;
      c.tr += Surface::Alpha(s.At(r.right - 1 - dx, r.top + dy)) == 0;
      c.bl += Surface::Alpha(s.At(r.left + dx, r.bottom - 1 - dy)) == 0;
      c.br += Surface::Alpha(s.At(r.right - 1 - dx, r.bottom - 1 - dy)) == 0;
    }
  return c;
}

TEST_F(Widgets, RoundedFillOfDiameterTwentyUsesTheWiderArcsOnThreeCorners) {
  struct Case {
    uint32_t radius;
    bool wideArcs;
  } cases[] = {{10, true}, {9, false}, {11, false}, {12, false}};
  const ui::Rect r{10, 10, 110, 50};
  for (const auto& c : cases) {
    Surface s(120, 60);
    StyleSet st = FillStyle(kBlue, c.radius);
    CImageResource image(1, &st, kTypeImage);
    image.SetRect(r.left, r.top, r.right, r.bottom);
    image.Draw(s.Dc());
    EXPECT_EQ(s.At(60, 30), kBlue) << c.radius;
    EXPECT_EQ(Surface::Alpha(s.At(r.left, r.top)), 0u) << c.radius;
    EXPECT_EQ(Surface::Alpha(s.At(r.right - 1, r.bottom - 1)), 0u) << c.radius;
    EXPECT_EQ(Surface::Alpha(s.At(r.right, 30)), 0u) << "nothing right of the rectangle, radius " << c.radius;
    EXPECT_EQ(Surface::Alpha(s.At(r.left - 1, 30)), 0u) << c.radius;
    CornerCounts k = CountCornerGaps(s, r);
    EXPECT_GT(k.tl, 0) << c.radius;
    if (c.wideArcs) {
      // Top-right, bottom-right and bottom-left are the 21-pixel arcs: all alike, larger than top-left.
      EXPECT_EQ(k.bl, k.br) << c.radius;
      EXPECT_EQ(k.tr, k.br) << c.radius;
      EXPECT_GT(k.bl, k.tl) << c.radius;
    } else {
      // Otherwise the left corners are alike (the right ones sit one pixel in, by the outline's - 1).
      EXPECT_EQ(k.bl, k.tl) << c.radius;
      EXPECT_EQ(k.br, k.tr) << c.radius;
    }
  }
}

TEST_F(Widgets, SquareFillCoversTheWholeRectangleAndNothingElse) {
  Surface s(60, 40);
  StyleSet st = FillStyle(0xFF123456, 0);
  CImageResource image(1, &st, kTypeImage);
  image.SetRect(10, 10, 50, 30);
  image.Draw(s.Dc());
  for (auto [x, y] : {std::pair{10, 10}, {49, 10}, {10, 29}, {49, 29}, {30, 20}}) EXPECT_EQ(s.At(x, y), 0xFF123456u);
  for (auto [x, y] : {std::pair{9, 20}, {50, 20}, {30, 9}, {30, 30}}) EXPECT_EQ(s.At(x, y), 0u) << x << "," << y;
}

TEST_F(Widgets, BordersGrowInwardsWhenRoundedAndAreCentredWhenSquare) {
  struct Case {
    uint32_t radius, width;
    double scale;
    int firstRed, lastRed;  // columns of the left border ring on the middle row
  } cases[] = {
      {4, 3, 1.0, 10, 12},  // rounded: three rings inside the rectangle
      {0, 3, 1.0, 9, 11},   // square: one 3-pixel pen centred on the outline
      {4, 1, 1.0, 10, 10},
      {4, 2, 1.5, 10, 12},  // a 2-pixel border at scale 1.5 is 3 rings
  };
  for (const auto& c : cases) {
    GetAppEnvironment()->scale = c.scale;
    Surface s(60, 60);
    StyleSet st = FillStyle(0xFFFFFFFF, c.radius);
    for (auto& x : st) {
      x.borderWidth = c.width;
      x.borderColor = 0xFFFF0000;
    }
    CImageResource image(1, &st, kTypeImage);
    image.SetRect(10, 10, 50, 50);
    image.Draw(s.Dc());
    EXPECT_EQ(s.At(c.firstRed - 1, 30), 0u) << c.radius;
    for (int x = c.firstRed; x <= c.lastRed; ++x) EXPECT_EQ(s.At(x, 30), 0xFFFF0000u) << c.radius << " x " << x;
    EXPECT_EQ(s.At(c.lastRed + 1, 30), 0xFFFFFFFFu) << c.radius;
    EXPECT_EQ(s.At(30, c.firstRed), 0xFFFF0000u) << "top ring, radius " << c.radius;
    EXPECT_EQ(s.At(30, c.lastRed + 1), 0xFFFFFFFFu) << c.radius;
  }
}

TEST_F(Widgets, LayeredSurfaceKeepsAlphaZeroOutsideShapesAndTextIsFilledOutlines) {
  Surface s(200, 60);
  StyleSet st = DefaultStyleSet();
  st[0].fillColor = 0x00FFFFFF;
  st[0].textColor = 0xFF000000;
  st[0].fontSize = 30;
  CTextResource text(1, &st, L"\u7acb\u5373\u5b89\u88c5 Wg");
  text.SetRect(0, 0, 200, 60);
  text.Draw(s.Dc());
  int inked = 0, strays = 0;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 200; ++x) {
      uint32_t p = s.At(x, y);
      if (Surface::Alpha(p)) ++inked;
      else if (p != 0) ++strays;  // colour without alpha would show as garbage on a layered window
    }
  EXPECT_GT(inked, 100);
  EXPECT_EQ(strays, 0);
  EXPECT_EQ(s.At(199, 59), 0u);
}

// Rows of the surface that carry ink: first and last.
std::pair<int, int> InkedRows(const Surface& s) {
  int first = -1, last = -1;
  for (int y = 0; y < s.Height(); ++y)
    for (int x = 0; x < s.Width(); ++x)
      if (Surface::Alpha(s.At(x, y))) {
        if (first < 0) first = y;
        last = y;
        break;
      }
  return {first, last};
}

TEST_F(Widgets, TextHonoursTheVerticalAlignmentOfItsStyle) {
  struct Case {
    int32_t vAlign;
    bool underline;
    int minCentre, maxCentre;  // where the middle of the ink may lie in a 100-pixel-high box
  } cases[] = {{0, false, 0, 30},   {1, false, 38, 62}, {2, false, 70, 100}, {7, false, 0, 30},
               {0, true, 0, 30},    {1, true, 38, 62},  {2, true, 70, 100}};
  for (const auto& c : cases) {
    Surface s(200, 100);
    StyleSet st = DefaultStyleSet();
    st[0].fillColor = 0x00FFFFFF;
    st[0].vAlign = c.vAlign;
    st[0].underline = c.underline;
    st[0].fontSize = 20;
    CTextResource text(1, &st, L"\u5b89\u88c5\u4f4d\u7f6e");
    text.SetRect(0, 0, 200, 100);
    text.Draw(s.Dc());
    auto [first, last] = InkedRows(s);
    ASSERT_GE(first, 0) << c.vAlign;
    int centre = (first + last) / 2;
    EXPECT_GE(centre, c.minCentre) << "vAlign " << c.vAlign << " underline " << c.underline;
    EXPECT_LE(centre, c.maxCentre) << "vAlign " << c.vAlign << " underline " << c.underline;
  }
}

// Separate bands of inked rows: the number of text lines drawn.
int InkedLines(const Surface& s) {
  int lines = 0;
  bool previous = false;
  for (int y = 0; y < s.Height(); ++y) {
    bool inked = false;
    for (int x = 0; x < s.Width() && !inked; ++x) inked = Surface::Alpha(s.At(x, y)) != 0;
    if (inked && !previous) ++lines;
    previous = inked;
  }
  return lines;
}

TEST_F(Widgets, LongTextWrapsOverSeveralLinesButCaptionsStayOnOne) {
  const std::wstring longText = L"\u8fd9\u662f\u4e00\u6bb5\u5f88\u957f\u7684\u8bf4\u660e\u6587\u5b57\uff0c"
                                L"\u4f1a\u81ea\u52a8\u6362\u884c\uff0c\u76f4\u5230\u586b\u6ee1\u6574\u4e2a"
                                L"\u533a\u57df\u4e3a\u6b62\u3002";
  struct Case {
    bool underline;
  } cases[] = {{false}, {true}};
  for (const auto& c : cases) {
    Surface s(120, 100);
    StyleSet st = DefaultStyleSet();
    st[0].fillColor = 0x00FFFFFF;
    st[0].vAlign = 0;
    st[0].fontSize = 14;
    st[0].underline = c.underline;
    CTextResource text(1, &st, longText);
    text.SetRect(0, 0, 120, 100);
    text.Draw(s.Dc());
    EXPECT_GE(InkedLines(s), 3) << "underline " << c.underline;
  }
  Surface s(120, 100);
  StyleSet st = DefaultStyleSet();
  for (auto& x : st) {
    x.fillColor = 0x00FFFFFF;
    x.fontSize = 14;
  }
  CButtonResource button(1, longText, &st);
  button.SetRect(0, 0, 120, 100);
  button.Draw(s.Dc());
  EXPECT_EQ(InkedLines(s), 1);
}

TEST_F(Widgets, UnderlinedTextIsDrawnAndBoldWinsOverUnderline) {
  paint::StyleFont underlined, bold;
  ResourceStyle style = DefaultResourceStyle();
  style.underline = true;
  underlined = paint::MakeFont(style, 1.0);
  style.bold = true;
  bold = paint::MakeFont(style, 1.0);
  ASSERT_TRUE(underlined.font);
  ASSERT_TRUE(bold.font);
  EXPECT_EQ(underlined.style, Gdiplus::FontStyleUnderline);
  EXPECT_EQ(bold.style, Gdiplus::FontStyleBold);

  Surface s(200, 40);
  StyleSet st = DefaultStyleSet();
  st[0].fillColor = 0x00FFFFFF;
  st[0].underline = true;
  CTextResource text(1, &st, L"\u7528\u6237\u534f\u8bae");
  text.SetRect(0, 0, 200, 40);
  text.Draw(s.Dc());
  int inked = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 200; ++x) inked += s.At(x, y) != 0;
  EXPECT_GT(inked, 30);
}

TEST_F(Widgets, MissingFontFamilyFallsBackInsteadOfDrawingNothing) {
  ResourceStyle style = DefaultResourceStyle();
  style.fontFamily = L"No Such Family 7f3a";
  style.fontSize = 20;
  paint::StyleFont font = paint::MakeFont(style, 1.25);
  ASSERT_TRUE(font.font);
  EXPECT_FLOAT_EQ(font.size, 25.f);
  EXPECT_FALSE(paint::FallbackFamilyName().empty());

  Surface s(200, 40);
  StyleSet st = DefaultStyleSet();
  st[0] = style;
  st[0].fillColor = 0x00FFFFFF;
  CTextResource text(1, &st, L"Fallback \u5b89\u88c5");
  text.SetRect(0, 0, 200, 40);
  EXPECT_TRUE(text.Draw(s.Dc()));
  int inked = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 200; ++x) inked += Surface::Alpha(s.At(x, y)) != 0;
  EXPECT_GT(inked, 30);
}

TEST_F(Widgets, DefaultsOfTheWidgetFamilies) {
  ResourceStyle d = DefaultResourceStyle();
  EXPECT_EQ(d.fontFamily, L"Microsoft Yahei");  // Wine reports a Windows newer than XP
  EXPECT_EQ(d.textColor, 0xFF000000u);
  EXPECT_EQ(d.fillColor, 0x00FFFFFFu);
  EXPECT_EQ(d.borderColor, 0xFFC0C0C0u);
  EXPECT_EQ(d.fontSize, 16u);
  EXPECT_EQ(d.vAlign, 1);

  CButtonResource button(1, L"x", nullptr);
  const uint32_t fills[4] = {0xFF4197FF, 0xFF62A6FB, 0xFF1873DE, 0xFFD8D8D8};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(button.styles[i].fillColor, fills[i]);
    EXPECT_EQ(button.styles[i].textColor, 0xFFFFFFFFu);
    EXPECT_EQ(button.styles[i].cornerRadius, 2u);
    EXPECT_EQ(button.styles[i].hAlign, 1);
  }
  CCheckboxResource box(2, nullptr, L"x", nullptr, nullptr);
  EXPECT_EQ(box.styles[0].textColor, 0xFF4D4D4Du);
  EXPECT_EQ(box.styles[1].textColor, 0xFF4197FFu);
  EXPECT_EQ(box.styles[3].textColor, 0xFF000000u);
  EXPECT_EQ(box.checked, 1);
  CTextResource text(3, nullptr, L"x");
  EXPECT_EQ(text.styles[0].fillColor, 0xFFFFFFFFu);
  EXPECT_EQ(text.styles[1].fillColor, 0x00FFFFFFu);
  CProgressResource progress(nullptr);
  EXPECT_EQ(progress.id, 2);
  EXPECT_EQ(progress.styles[0].cornerRadius, 100u);

  // A state outside 0-3 draws with the default style: transparent, so nothing lands on the surface.
  Surface s(40, 40);
  button.SetRect(0, 0, 40, 40);
  button.caption.clear();
  button.state = 7;
  button.Draw(s.Dc());
  EXPECT_EQ(s.At(20, 20), 0u);
  button.state = kStateNormal;
  button.Draw(s.Dc());
  EXPECT_EQ(s.At(20, 20), kBlue);
}

TEST_F(Widgets, InvisibleWidgetsDrawNothingButKeepTheirRectangle) {
  Surface s(40, 40);
  CButtonResource button(1, L"OK", nullptr);
  button.SetRect(0, 0, 40, 40);
  button.visible = false;
  EXPECT_TRUE(button.Draw(s.Dc()));
  EXPECT_EQ(s.At(20, 20), 0u);
  EXPECT_EQ(button.rect, (ui::Rect{0, 0, 40, 40}));
}

TEST_F(Widgets, ButtonIconFitsAtTheChosenEndAndFollowsTheStateItWasFittedIn) {
  auto icon = MakePicture(32, 32, 0xFF00FF00);
  auto hover = MakePicture(16, 32, 0xFFFF00FF);
  StyleSet st = FillStyle(0xFF0000FF, 0);
  CButtonResource button(1, L"", &st);
  button.SetNormalImage(icon.get());
  button.SetHoverImage(hover.get());
  button.SetRect(0, 0, 100, 24);
  EXPECT_EQ(button.IconRect(), (ui::Rect{0, 0, 24, 24}));

  Surface s(100, 24);
  button.Draw(s.Dc());
  EXPECT_EQ(s.At(12, 12), 0xFF00FF00u);  // icon
  EXPECT_EQ(s.At(60, 12), 0xFF0000FFu);  // fill

  // A state change keeps the fitted rectangle; the hover picture is drawn squeezed into it.
  button.state = kStateHover;
  Surface h(100, 24);
  button.Draw(h.Dc());
  EXPECT_EQ(button.IconRect(), (ui::Rect{0, 0, 24, 24}));
  EXPECT_EQ(h.At(20, 12), 0xFFFF00FFu);

  // Image on the right, refitted by SetRect in the normal state.
  button.state = kStateNormal;
  for (auto& x : button.styles) x.imageOnRight = 1;
  button.SetRect(0, 0, 100, 24);
  EXPECT_EQ(button.IconRect(), (ui::Rect{76, 0, 100, 24}));
}

TEST_F(Widgets, ButtonLaidOutWhileDisabledFitsItsDisabledPicture) {
  auto icon = MakePicture(32, 32, 0xFF00FF00);
  StyleSet st = FillStyle(0xFF0000FF, 0);
  CButtonResource button(1, L"", &st);
  button.SetDisabledImage(icon.get());
  button.state = kStateDisabled;
  button.SetRect(0, 0, 100, 24);
  EXPECT_EQ(button.IconRect(), (ui::Rect{0, 0, 24, 24}));
  Surface s(100, 24);
  button.Draw(s.Dc());
  EXPECT_EQ(s.At(12, 12), 0xFF00FF00u);
}

TEST_F(Widgets, DisabledButtonWithoutDisabledPictureShowsFillAndCaptionOnly) {
  auto icon = MakePicture(32, 32, 0xFF00FF00);
  CButtonResource button(1, L"\u4e0b\u4e00\u6b65", nullptr);
  button.SetNormalImage(icon.get());
  button.SetRect(0, 0, 100, 24);
  button.state = kStateDisabled;
  Surface s(100, 24);
  button.Draw(s.Dc());
  EXPECT_EQ(s.At(3, 12), 0xFFD8D8D8u);  // where the normal icon would be
  int caption = 0;
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 100; ++x) caption += s.At(x, y) == 0xFFFFFFFFu;
  EXPECT_GT(caption, 10);
}

TEST_F(Widgets, CheckboxFitsTheBoxOfItsCheckedFlagAndDrawsThatPicture) {
  auto checked = MakePicture(32, 32, 0xFF00FF00);
  auto unchecked = MakePicture(32, 32, 0xFFFF0000);
  CCheckboxResource box(1, nullptr, L"\u5f00\u673a\u542f\u52a8", checked.get(), unchecked.get());
  box.SetRect(0, 0, 120, 20);
  EXPECT_EQ(box.BoxRect(), (ui::Rect{0, 0, 20, 20}));
  Surface s(120, 20);
  box.Draw(s.Dc());
  EXPECT_EQ(s.At(10, 10), 0xFF00FF00u);
  box.checked = 0;
  Surface t(120, 20);
  box.Draw(t.Dc());
  EXPECT_EQ(t.At(10, 10), 0xFFFF0000u);
  int caption = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 23; x < 120; ++x) caption += Surface::Alpha(t.At(x, y)) != 0;
  EXPECT_GT(caption, 10);
}

TEST_F(Widgets, ImageResourceShrinksToItsAspectAndFitsThePictureInside) {
  auto picture = MakePicture(60, 30, 0xFFABCDEF);
  CImageResource image(1, nullptr, kTypeImage);
  image.aspect = 3.5;
  image.SetImage(picture.get());
  image.SetRect(0, 0, 350, 50);
  EXPECT_EQ(image.rect, (ui::Rect{88, 0, 263, 50}));
  // 175 x 50 holds a 2:1 picture as 100 x 50, centred.
  EXPECT_EQ(image.ImageRect(), (ui::Rect{126, 0, 226, 50}));
  Surface s(350, 50);
  image.Draw(s.Dc());
  EXPECT_EQ(s.At(176, 25), 0xFFABCDEFu);
  EXPECT_EQ(s.At(100, 25), 0u);

  image.outsetX = -10;
  image.aspect = 0;
  image.SetRect(0, 0, 350, 50);
  EXPECT_EQ(image.rect, (ui::Rect{10, 0, 340, 50}));
}

TEST_F(Widgets, ProgressBarFillsItsShareOfTheTrack) {
  StyleSet st = DefaultStyleSet();
  st[0].textColor = 0xFF00AA00;
  st[0].fillColor = 0xFFEEEEEE;
  st[0].cornerRadius = 0;
  CProgressResource progress(&st);
  progress.SetRect(0, 0, 301, 10);
  EXPECT_TRUE(progress.SetPercent(45));
  EXPECT_EQ(progress.BarRect(), (ui::Rect{0, 0, 135, 10}));
  Surface s(320, 10);
  progress.Draw(s.Dc());
  EXPECT_EQ(s.At(100, 5), 0xFF00AA00u);
  EXPECT_EQ(s.At(200, 5), 0xFFEEEEEEu);
  progress.SetPercent(150);
  EXPECT_EQ(progress.BarRect().right, 451);
  // SetRect recomputes the bar from the new track.
  progress.SetRect(0, 0, 200, 10);
  EXPECT_EQ(progress.BarRect().right, 300);
}

TEST_F(Widgets, LayoutPlacesChildrenAndBackgroundAndLeavesThemOnFailure) {
  CLayoutResource root(1, 9);
  CSpacerResource top(10);
  CImageResource middle(1, nullptr, kTypeImage);
  CLayoutResource row(2, 9);
  CButtonResource left(2, L"a", nullptr), right(3, L"b", nullptr);
  CImageResource background(4, nullptr, kTypeImage);
  root.AddChild(&top, 1);
  root.AddChild(&middle, 1);
  root.AddChild(&row, 2);
  row.AddChild(&left, 1);
  row.AddChild(&right, 1);
  row.SetMargins(10, 0, 10, 0);
  row.SetSpacing(20);
  root.SetBackground(&background);
  EXPECT_TRUE(root.SetRect(0, 0, 200, 100));
  EXPECT_EQ(top.rect, (ui::Rect{0, 0, 200, 25}));
  EXPECT_EQ(middle.rect, (ui::Rect{0, 25, 200, 50}));
  EXPECT_EQ(row.rect, (ui::Rect{0, 50, 200, 100}));
  EXPECT_EQ(left.rect, (ui::Rect{10, 50, 90, 100}));
  EXPECT_EQ(right.rect, (ui::Rect{110, 50, 190, 100}));
  EXPECT_EQ(background.rect, (ui::Rect{0, 0, 200, 100}));

  // Too small: the children and background keep their places.
  EXPECT_FALSE(root.SetRect(0, 0, 200, 2));  // fewer pixels than children
  EXPECT_EQ(top.rect, (ui::Rect{0, 0, 200, 25}));
  EXPECT_EQ(background.rect, (ui::Rect{0, 0, 200, 100}));

  // Margins scale with the UI.
  GetAppEnvironment()->scale = 2.0;
  EXPECT_TRUE(row.SetRect(0, 0, 200, 50));
  EXPECT_EQ(left.rect, (ui::Rect{20, 0, 80, 50}));
  EXPECT_EQ(right.rect, (ui::Rect{120, 0, 180, 50}));
}

}  // namespace
