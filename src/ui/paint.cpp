#include "ui/paint.h"

#include <algorithm>

namespace paint {

namespace {

void AddRoundedOutline(Gdiplus::GraphicsPath& path, int32_t d, int32_t x, int32_t y, int32_t w, int32_t h) {
  ui::Arc arcs[4];
  ui::RoundedOutline(d, x, y, w, h, arcs);
  for (const ui::Arc& a : arcs) path.AddArc(a.x, a.y, a.w, a.h, a.start, 90.f);
  path.CloseFigure();
}

void StrokeRounded(Gdiplus::Graphics& g, Gdiplus::Pen& pen, int32_t d, int32_t x, int32_t y, int32_t w, int32_t h) {
  Gdiplus::GraphicsPath path;
  AddRoundedOutline(path, d, x, y, w, h);
  g.DrawPath(&pen, &path);
}

}  // namespace

void FillRectPixels(Gdiplus::Graphics& g, const ui::Rect& r, int32_t radius, Gdiplus::ARGB color) {
  Gdiplus::SolidBrush brush{Gdiplus::Color(color)};
  Gdiplus::Pen pen(Gdiplus::Color(color), 1.f);
  int32_t x = r.left, y = r.top, w = r.Width(), h = r.Height();
  if (radius > 0) {
    g.SetPageUnit(Gdiplus::UnitPixel);
    Gdiplus::GraphicsPath path;
    AddRoundedOutline(path, 2 * radius, x, y, w, h);
    g.FillPath(&brush, &path);
    g.DrawPath(&pen, &path);
    g.SetPageUnit(Gdiplus::UnitWorld);
  } else {
    g.FillRectangle(&brush, x, y, w - 1, h - 1);
    g.DrawRectangle(&pen, x, y, w - 1, h - 1);
  }
}

void FillRect(Gdiplus::Graphics& g, const ui::Rect& r, uint32_t radius, Gdiplus::ARGB color, double scale) {
  FillRectPixels(g, r, static_cast<int32_t>(scale * radius), color);
}

void DrawBorder(Gdiplus::Graphics& g, const ui::Rect& r, uint32_t width, uint32_t radius, Gdiplus::ARGB color,
                double scale) {
  int32_t b = static_cast<int32_t>(scale * width), rad = static_cast<int32_t>(scale * radius);
  if (b < 1) return;
  int32_t x = r.left, y = r.top, w = r.Width(), h = r.Height();
  if (rad >= 1) {
    g.SetPageUnit(Gdiplus::UnitPixel);
    Gdiplus::Pen pen(Gdiplus::Color(color), 1.f);
    StrokeRounded(g, pen, 2 * rad, x, y, w, h);
    // Wider borders grow inwards one ring at a time, so the outer edge stays where the fill ends.
    for (int32_t i = 1; i < b; ++i) {
      x += 1;
      w -= 2;
      StrokeRounded(g, pen, 2 * rad, x, y, w, h);
      y += 1;
      h -= 2;
      StrokeRounded(g, pen, 2 * rad, x, y, w, h);
    }
    g.SetPageUnit(Gdiplus::UnitWorld);
  } else {
    Gdiplus::Pen pen(Gdiplus::Color(color), static_cast<Gdiplus::REAL>(b));
    g.DrawRectangle(&pen, x, y, w - 1, h - 1);
  }
}

namespace {

bool FamilyAvailable(const wchar_t* name) {
  Gdiplus::FontFamily family(name);
  return family.GetLastStatus() == Gdiplus::Ok && family.IsAvailable();
}

std::wstring FindFallbackFamily() {
  // Named families first: under Wine 8 the generic sans-serif object is unusable unless the prefix maps
  // a font to it, and dereferencing it crashes; the flat call below at least reports its failure.
  static const wchar_t* const kCandidates[] = {L"Microsoft Yahei", L"SimHei", L"Tahoma", L"Arial",
                                               L"Microsoft Sans Serif"};
  for (const wchar_t* name : kCandidates)
    if (FamilyAvailable(name)) return name;
  Gdiplus::GpFontFamily* generic = nullptr;
  if (Gdiplus::DllExports::GdipGetGenericFontFamilySansSerif(&generic) == Gdiplus::Ok && generic) {
    WCHAR name[LF_FACESIZE] = {};
    if (Gdiplus::DllExports::GdipGetFamilyName(generic, name, LANG_NEUTRAL) == Gdiplus::Ok && name[0]) return name;
  }
  return std::wstring();
}

}  // namespace

std::wstring FallbackFamilyName() {
  // Only the name is kept: GDI+ objects die with each GDI+ shut-down, a name survives restarts.
  static const std::wstring name = FindFallbackFamily();
  return name;
}

StyleFont MakeFont(const ResourceStyle& style, double scale) {
  StyleFont f;
  f.size = static_cast<Gdiplus::REAL>(scale * style.fontSize);
  f.style = style.bold ? Gdiplus::FontStyleBold : style.underline ? Gdiplus::FontStyleUnderline : Gdiplus::FontStyleRegular;
  auto tryFamily = [&](const std::wstring& name) {
    if (name.empty() || !FamilyAvailable(name.c_str())) return false;
    auto family = std::make_unique<Gdiplus::FontFamily>(name.c_str());
    auto font = std::make_unique<Gdiplus::Font>(family.get(), f.size, f.style, Gdiplus::UnitPixel);
    if (font->GetLastStatus() != Gdiplus::Ok) return false;
    f.family = std::move(family);
    f.font = std::move(font);
    return true;
  };
  if (!tryFamily(style.fontFamily)) tryFamily(FallbackFamilyName());
  return f;
}

void DrawText(Gdiplus::Graphics& g, const std::wstring& text, Gdiplus::ARGB color, const Gdiplus::StringFormat& format,
              const StyleFont& font, const Gdiplus::RectF& box) {
  if (text.empty() || !font.font) return;
  Gdiplus::SolidBrush brush{Gdiplus::Color(color)};
  if (font.style == Gdiplus::FontStyleUnderline) {
    g.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);
    g.DrawString(text.c_str(), static_cast<INT>(text.size()), font.font.get(), box, &format, &brush);
    return;
  }
  // The vertical alignment is applied here from the measured text height: Wine's text-to-path conversion
  // ignores the line alignment and would put every caption at the top of its rectangle.
  Gdiplus::StringFormat topAligned(&format);
  topAligned.SetLineAlignment(Gdiplus::StringAlignmentNear);
  Gdiplus::RectF placed = box;
  Gdiplus::StringAlignment line = format.GetLineAlignment();
  if (line != Gdiplus::StringAlignmentNear) {
    Gdiplus::RectF bounds;
    g.MeasureString(text.c_str(), static_cast<INT>(text.size()), font.font.get(), box, &topAligned, &bounds);
    Gdiplus::REAL spare = box.Height - bounds.Height;
    Gdiplus::REAL offset = line == Gdiplus::StringAlignmentCenter ? spare / 2 : spare;
    if (offset > 0) {
      placed.Y += offset;
      placed.Height -= offset;
    }
  }
  Gdiplus::GraphicsPath path;
  path.AddString(text.c_str(), static_cast<INT>(text.size()), font.family.get(), font.style, font.size, placed, &topAligned);
  g.FillPath(&brush, &path);
}

Gdiplus::StringAlignment Alignment(int32_t value) {
  switch (value) {
    case 1: return Gdiplus::StringAlignmentCenter;
    case 2: return Gdiplus::StringAlignmentFar;
    default: return Gdiplus::StringAlignmentNear;
  }
}

}  // namespace paint
