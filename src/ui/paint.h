// GDI+ drawing shared by the widgets: rounded fills and inward borders, style fonts with a safe fallback,
// and text drawn as filled outlines (so that layered popups get correct per-pixel alpha).
#pragma once
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <memory>
#include <string>

#include "ui/resource.h"

namespace paint {

void FillRect(Gdiplus::Graphics& g, const ui::Rect& r, uint32_t radius, Gdiplus::ARGB color, double scale);
// `radius` is a pixel count here (the progress bar uses its style radius unscaled).
void FillRectPixels(Gdiplus::Graphics& g, const ui::Rect& r, int32_t radius, Gdiplus::ARGB color);
void DrawBorder(Gdiplus::Graphics& g, const ui::Rect& r, uint32_t width, uint32_t radius, Gdiplus::ARGB color,
                double scale);

struct StyleFont {
  std::unique_ptr<Gdiplus::FontFamily> family;
  std::unique_ptr<Gdiplus::Font> font;
  INT style = Gdiplus::FontStyleRegular;
  Gdiplus::REAL size = 0;
};
// The style's family, or the first available fallback family; no font (null) when none can be made.
StyleFont MakeFont(const ResourceStyle& style, double scale);
// The family name used when a style's family is missing; empty when the system has none of them.
std::wstring FallbackFamilyName();

void DrawText(Gdiplus::Graphics& g, const std::wstring& text, Gdiplus::ARGB color, const Gdiplus::StringFormat& format,
              const StyleFont& font, const Gdiplus::RectF& box);

Gdiplus::StringAlignment Alignment(int32_t value);

}  // namespace paint
