#include "ui/paint.h"

#include <algorithm>
#include <vector>

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

namespace {

constexpr wchar_t kEllipsis[] = L"\u2026";

Gdiplus::REAL MeasuredWidth(Gdiplus::Graphics& g, const std::wstring& text, const StyleFont& font,
                            const Gdiplus::StringFormat& format) {
  Gdiplus::RectF bounds;
  g.MeasureString(text.c_str(), static_cast<INT>(text.size()), font.font.get(), Gdiplus::RectF(0, 0, 1e6f, 1e6f),
                  &format, &bounds);
  return bounds.Width;
}

// The longest start of `text` that fits `width` with an ellipsis after it, or the whole text when it fits.
std::wstring TrimToWidth(Gdiplus::Graphics& g, const std::wstring& text, const StyleFont& font,
                         const Gdiplus::StringFormat& format, Gdiplus::REAL width) {
  if (MeasuredWidth(g, text, font, format) <= width) return text;
  size_t low = 0, high = text.size();  // low fits, high does not
  while (high - low > 1) {
    size_t mid = (low + high) / 2;
    if (MeasuredWidth(g, text.substr(0, mid) + kEllipsis, font, format) <= width) low = mid;
    else high = mid;
  }
  return text.substr(0, low) + kEllipsis;
}

// Text as outlines, one line at a time. Wine's text-to-path conversion draws only the first line of a
// wrapped text, trims without the ellipsis and ignores the line alignment, so breaking, trimming and
// vertical placement are done here from measurements, the same way on every system.
void AddTextLines(Gdiplus::GraphicsPath& path, Gdiplus::Graphics& g, const std::wstring& text, const StyleFont& font,
                  const Gdiplus::StringFormat& format, const Gdiplus::RectF& box) {
  Gdiplus::StringFormat line(&format);
  line.SetLineAlignment(Gdiplus::StringAlignmentNear);
  line.SetFormatFlags(format.GetFormatFlags() | Gdiplus::StringFormatFlagsNoWrap);
  line.SetTrimming(Gdiplus::StringTrimmingNone);
  const bool wrap = !(format.GetFormatFlags() & Gdiplus::StringFormatFlagsNoWrap);
  const bool ellipsis = format.GetTrimming() == Gdiplus::StringTrimmingEllipsisCharacter;
  const Gdiplus::REAL lineHeight = font.font->GetHeight(&g);

  std::vector<std::wstring> lines;
  size_t pos = 0;
  Gdiplus::REAL used = 0;
  while (pos < text.size()) {
    bool last = !wrap || used + 2 * lineHeight > box.Height + 0.5f;
    std::wstring rest = text.substr(pos);
    if (last) {
      lines.push_back(ellipsis ? TrimToWidth(g, rest, font, line, box.Width) : rest);
      break;
    }
    Gdiplus::StringFormat measure(&format);
    measure.SetFormatFlags((format.GetFormatFlags() & ~Gdiplus::StringFormatFlagsNoWrap) |
                           Gdiplus::StringFormatFlagsLineLimit);
    measure.SetTrimming(Gdiplus::StringTrimmingNone);
    Gdiplus::RectF bounds;
    INT fitted = 0, filled = 0;
    g.MeasureString(rest.c_str(), static_cast<INT>(rest.size()), font.font.get(),
                    Gdiplus::RectF(0, 0, box.Width, lineHeight * 1.5f), &measure, &bounds, &fitted, &filled);
    if (fitted <= 0) fitted = 1;  // a character wider than the box still takes a line of its own
    lines.push_back(rest.substr(0, static_cast<size_t>(fitted)));
    pos += static_cast<size_t>(fitted);
    used += lineHeight;
  }

  Gdiplus::REAL spare = box.Height - lineHeight * static_cast<Gdiplus::REAL>(lines.size());
  Gdiplus::REAL y = box.Y;
  if (spare > 0 && format.GetLineAlignment() == Gdiplus::StringAlignmentCenter) y += spare / 2;
  if (spare > 0 && format.GetLineAlignment() == Gdiplus::StringAlignmentFar) y += spare;
  for (const std::wstring& piece : lines) {
    path.AddString(piece.c_str(), static_cast<INT>(piece.size()), font.family.get(), font.style, font.size,
                   Gdiplus::RectF(box.X, y, box.Width, lineHeight), &line);
    y += lineHeight;
  }
}

}  // namespace

void DrawText(Gdiplus::Graphics& g, const std::wstring& text, Gdiplus::ARGB color, const Gdiplus::StringFormat& format,
              const StyleFont& font, const Gdiplus::RectF& box) {
  if (text.empty() || !font.font) return;
  Gdiplus::SolidBrush brush{Gdiplus::Color(color)};
  if (font.style == Gdiplus::FontStyleUnderline) {
    g.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);
    g.DrawString(text.c_str(), static_cast<INT>(text.size()), font.font.get(), box, &format, &brush);
    return;
  }
  Gdiplus::GraphicsPath path;
  AddTextLines(path, g, text, font, format, box);
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
