#include "ui/resource.h"

#include "net/app_environment.h"
#include "platform/system.h"
#include "ui/paint.h"

double UiScale() {
  AppEnvironment* env = GetAppEnvironment();
  return env ? env->scale : 1.0;
}

ResourceStyle DefaultResourceStyle() {
  ResourceStyle s;
  s.fontFamily = GetOsVersionClass() == 0 ? L"SimHei" : L"Microsoft Yahei";
  return s;
}

StyleSet DefaultStyleSet() {
  ResourceStyle d = DefaultResourceStyle();
  return StyleSet{d, d, d, d};
}

namespace {

std::unique_ptr<Gdiplus::Graphics> SmoothGraphics(HDC dc) {
  auto g = std::make_unique<Gdiplus::Graphics>(dc);
  g->SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
  return g;
}

void DrawImageInto(Gdiplus::Graphics& g, Gdiplus::Image* image, const ui::Rect& r) {
  if (image) g.DrawImage(image, r.left, r.top, r.Width(), r.Height());
}

bool HasSize(Gdiplus::Image* image) { return image && image->GetWidth() > 0 && image->GetHeight() > 0; }

// A button's icon or a checkbox's box: the picture fitted at one end of `r`; `fitted` is left as it was
// when there is nothing to fit.
void FitAtEnd(Gdiplus::Image* image, const ui::Rect& r, bool right, ui::Rect* fitted) {
  if (!HasSize(image) || r.Width() <= 0 || r.Height() <= 0) return;
  *fitted = ui::IconFit(r, image->GetWidth(), image->GetHeight(), right);
}

void SetCaptionFormat(Gdiplus::StringFormat& format, const ResourceStyle& style, bool wrap, bool centreVertically) {
  format.SetAlignment(paint::Alignment(style.hAlign));
  format.SetLineAlignment(centreVertically ? Gdiplus::StringAlignmentCenter : paint::Alignment(style.vAlign));
  format.SetTrimming(Gdiplus::StringTrimmingEllipsisCharacter);
  if (!wrap) format.SetFormatFlags(Gdiplus::StringFormatFlagsNoWrap);
}

Gdiplus::RectF ToRectF(const ui::FloatBox& b) {
  return Gdiplus::RectF(static_cast<Gdiplus::REAL>(b.x), static_cast<Gdiplus::REAL>(b.y),
                        static_cast<Gdiplus::REAL>(b.width), static_cast<Gdiplus::REAL>(b.height));
}

ui::FloatBox WholeBox(const ui::Rect& r) { return ui::FloatBox{double(r.left), double(r.top), double(r.Width()), double(r.Height())}; }

}  // namespace

// ---- CImageResource

CImageResource::CImageResource(int32_t id, const StyleSet* given, int32_t type)
    : IBaseResource(type, id), styles(given ? *given : DefaultStyleSet()) {}

ResourceStyle CImageResource::CurrentStyle() const {
  if (state >= 0 && state <= 3) return styles[state];
  return DefaultResourceStyle();
}

void CImageResource::DrawImagePart(Gdiplus::Graphics& g, const ResourceStyle& style) {
  double s = UiScale();
  paint::FillRect(g, rect, style.cornerRadius, style.fillColor, s);
  DrawImageInto(g, image_, imageRect_);
  paint::DrawBorder(g, rect, style.borderWidth, style.cornerRadius, style.borderColor, s);
}

bool CImageResource::Draw(HDC dc) {
  if (!visible) return true;
  ResourceStyle style = CurrentStyle();
  auto g = SmoothGraphics(dc);
  DrawImagePart(*g, style);
  return true;
}

bool CImageResource::SetRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  rect = ui::ApplyOutsetsAndAspect(ui::Rect{left, top, right, bottom}, outsetX, outsetY, aspect, UiScale());
  FitImage();
  return true;
}

void CImageResource::SetImage(Gdiplus::Image* image) {
  if (image == image_) return;
  image_ = image;
  FitImage();
}

void CImageResource::FitImage() {
  // An image that did not decode reports a zero size; it draws nothing and cannot be fitted.
  if (HasSize(image_) && rect.Width() > 0 && rect.Height() > 0)
    imageRect_ = ui::ContainFit(rect, image_->GetWidth(), image_->GetHeight());
}

// ---- CButtonResource

namespace {
StyleSet ButtonDefaults() {
  StyleSet set = DefaultStyleSet();
  const Gdiplus::ARGB fills[4] = {0xFF4197FF, 0xFF62A6FB, 0xFF1873DE, 0xFFD8D8D8};
  for (int i = 0; i < 4; ++i) {
    set[i].textColor = 0xFFFFFFFF;
    set[i].fillColor = fills[i];
    set[i].borderColor = 0x00FFFFFF;
    set[i].borderWidth = 0;
    set[i].cornerRadius = 2;
    set[i].hAlign = 1;
    set[i].vAlign = 1;
  }
  return set;
}
}  // namespace

CButtonResource::CButtonResource(int32_t id, const std::wstring& caption, const StyleSet* given)
    : CImageResource(id, nullptr, kTypeButton), caption(caption) {
  styles = given ? *given : ButtonDefaults();
}

void CButtonResource::SetStateImage(int32_t which, Gdiplus::Image* image) {
  if (stateImages_[which] == image) return;
  stateImages_[which] = image;
  FitIcon();
}

void CButtonResource::FitIcon() {
  // The icon follows the state it was fitted in; a later state change keeps the rectangle. A button laid
  // out while disabled is fitted to its disabled picture, or it would never show one.
  if (state < kStateNormal || state > kStateDisabled) return;
  FitAtEnd(stateImages_[state], rect, CurrentStyle().imageOnRight == 1, &iconRect_);
}

bool CButtonResource::SetRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  CImageResource::SetRect(left, top, right, bottom);
  FitIcon();
  return true;
}

bool CButtonResource::Draw(HDC dc) {
  if (!visible) return true;
  ResourceStyle style = CurrentStyle();
  auto g = SmoothGraphics(dc);
  DrawImagePart(*g, style);
  Gdiplus::StringFormat format;
  SetCaptionFormat(format, style, false, false);
  paint::StyleFont font = paint::MakeFont(style, UiScale());
  Gdiplus::Image* image = (state >= 0 && state <= 3) ? stateImages_[state] : nullptr;
  ui::FloatBox box = WholeBox(rect);
  if (image) {
    DrawImageInto(*g, image, iconRect_);
    box = ui::TextBesideIcon(rect, iconRect_, style.imageOnRight == 1);
  }
  paint::DrawText(*g, caption, style.textColor, format, font, ToRectF(box));
  return true;
}

// ---- CCheckboxResource

namespace {
StyleSet CheckboxDefaults() {
  StyleSet set = DefaultStyleSet();
  const Gdiplus::ARGB texts[3] = {0xFF4D4D4D, 0xFF4197FF, 0xFF1873DE};
  for (int i = 0; i < 4; ++i) {
    if (i < 3) set[i].textColor = texts[i];
    set[i].fillColor = 0x00FFFFFF;
    set[i].borderColor = 0x00FFFFFF;
  }
  return set;
}
}  // namespace

CCheckboxResource::CCheckboxResource(int32_t id, const StyleSet* given, const std::wstring& caption,
                                     Gdiplus::Image* checkedImage, Gdiplus::Image* uncheckedImage)
    : CImageResource(id, nullptr, kTypeCheckbox),
      caption(caption),
      checkedImage_(checkedImage),
      uncheckedImage_(uncheckedImage) {
  styles = given ? *given : CheckboxDefaults();
}

void CCheckboxResource::FitBox() {
  FitAtEnd(BoxImage(), rect, CurrentStyle().imageOnRight == 1, &boxRect_);
}

bool CCheckboxResource::SetRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  CImageResource::SetRect(left, top, right, bottom);
  FitBox();
  return true;
}

bool CCheckboxResource::Draw(HDC dc) {
  if (!visible) return true;
  ResourceStyle style = CurrentStyle();
  auto g = SmoothGraphics(dc);
  DrawImagePart(*g, style);
  Gdiplus::StringFormat format;
  SetCaptionFormat(format, style, false, true);
  paint::StyleFont font = paint::MakeFont(style, UiScale());
  ui::FloatBox box = ui::TextBesideIcon(rect, boxRect_, style.imageOnRight == 1);
  paint::DrawText(*g, caption, style.textColor, format, font, ToRectF(box));
  DrawImageInto(*g, BoxImage(), boxRect_);
  return true;
}

// ---- CTextResource

namespace {
StyleSet TextDefaults() {
  StyleSet set = DefaultStyleSet();
  set[kStateNormal].fillColor = 0xFFFFFFFF;
  return set;
}
}  // namespace

CTextResource::CTextResource(int32_t id, const StyleSet* given, const std::wstring& text)
    : CImageResource(id, nullptr, kTypeText), text(text) {
  styles = given ? *given : TextDefaults();
}

bool CTextResource::Draw(HDC dc) {
  if (!visible) return true;
  ResourceStyle style = CurrentStyle();
  auto g = SmoothGraphics(dc);
  DrawImagePart(*g, style);
  Gdiplus::StringFormat format;
  SetCaptionFormat(format, style, true, false);
  paint::StyleFont font = paint::MakeFont(style, UiScale());
  paint::DrawText(*g, text, style.textColor, format, font, ToRectF(WholeBox(rect)));
  return true;
}

// ---- CProgressResource

namespace {
StyleSet ProgressDefaults() {
  StyleSet set = DefaultStyleSet();
  set[kStateNormal].textColor = 0xFF4197FF;
  set[kStateNormal].fillColor = 0xFFEEEEEE;
  set[kStateNormal].cornerRadius = 100;
  return set;
}
}  // namespace

CProgressResource::CProgressResource(const StyleSet* given) : CImageResource(2, nullptr, kTypeProgress) {
  styles = given ? *given : ProgressDefaults();
}

bool CProgressResource::SetPercent(uint32_t percent) {
  percent_ = percent;
  barRect_ = ui::ProgressBar(rect, percent_);
  return true;
}

bool CProgressResource::SetRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  CImageResource::SetRect(left, top, right, bottom);
  barRect_ = ui::ProgressBar(rect, percent_);
  return true;
}

bool CProgressResource::Draw(HDC dc) {
  if (!visible) return true;
  ResourceStyle style = CurrentStyle();
  auto g = SmoothGraphics(dc);
  DrawImagePart(*g, style);
  // A bar narrower than one pixel would still paint its 1-pixel outline stroke at 0 %.
  if (barRect_.Width() > 0)
    paint::FillRectPixels(*g, barRect_, static_cast<int32_t>(style.cornerRadius), style.textColor);
  return true;
}

// ---- CLayoutResource

CLayoutResource::CLayoutResource(int32_t direction, int32_t id) : IBaseResource(kTypeLayout, id) {
  spec_.direction = direction;
}

void CLayoutResource::AddChild(IBaseResource* child, uint32_t weight) {
  children_.push_back(child);
  weights_.push_back(weight);
}

void CLayoutResource::SetMargins(uint32_t left, uint32_t top, uint32_t right, uint32_t bottom) {
  spec_.marginLeft = left;
  spec_.marginTop = top;
  spec_.marginRight = right;
  spec_.marginBottom = bottom;
}

bool CLayoutResource::SetRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  rect = ui::Rect{left, top, right, bottom};
  if (children_.size() != weights_.size()) return false;
  std::vector<ui::Rect> placed;
  if (!ui::LayoutChildren(spec_, rect, weights_, UiScale(), &placed)) return false;
  for (size_t i = 0; i < children_.size(); ++i)
    if (children_[i]) children_[i]->SetRect(placed[i].left, placed[i].top, placed[i].right, placed[i].bottom);
  if (background_) background_->SetRect(left, top, right, bottom);
  return true;
}
