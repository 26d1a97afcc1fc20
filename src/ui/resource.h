// The widgets ("resources") a view is made of: images, buttons, checkboxes, texts, progress bars, layouts
// and spacers. Every length in a style, margin or outset is in design pixels and is multiplied by the UI
// scale factor when used; rectangles given to SetRect are window pixels.
#pragma once
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "ui/geometry.h"

enum ResourceState : int32_t { kStateNormal = 0, kStateHover = 1, kStatePressed = 2, kStateDisabled = 3 };

enum ResourceType : int32_t {
  kTypeImage = 0,
  kTypeIcon = 1,
  kTypeButton = 2,
  kTypeCheckbox = 3,
  kTypeMovie = 4,
  kTypeText = 5,
  kTypeEdit = 6,
  kTypeProgress = 7,
  kTypeLayout = 9,
  kTypeSpacer = 10,
};

struct ResourceStyle {
  Gdiplus::ARGB textColor = 0xFF000000;
  Gdiplus::ARGB fillColor = 0x00FFFFFF;
  uint32_t borderWidth = 0;
  uint32_t cornerRadius = 0;
  Gdiplus::ARGB borderColor = 0xFFC0C0C0;
  uint32_t fontSize = 16;
  std::wstring fontFamily;  // DefaultResourceStyle() fills in the system's family
  bool underline = false;
  bool bold = false;
  int32_t hAlign = 0;  // 0 near, 1 centre, 2 far
  int32_t vAlign = 1;
  int32_t imageOnRight = 0;
};
// What every style starts as: "Microsoft Yahei", or "SimHei" on Windows XP, which has no Yahei.
ResourceStyle DefaultResourceStyle();
using StyleSet = std::array<ResourceStyle, 4>;
StyleSet DefaultStyleSet();

class IBaseResource {
 public:
  IBaseResource(int32_t type, int32_t id) : type(type), id(id) {}
  virtual ~IBaseResource() = default;
  IBaseResource(const IBaseResource&) = delete;
  IBaseResource& operator=(const IBaseResource&) = delete;
  virtual bool Draw(HDC dc) = 0;
  virtual bool SetRect(int32_t left, int32_t top, int32_t right, int32_t bottom) = 0;

  ui::Rect Rect() const { return rect; }

  int32_t type;
  int32_t id;
  ui::Rect rect;
  bool visible = true;
  int32_t state = kStateNormal;
};

class CImageResource : public IBaseResource {
 public:
  CImageResource(int32_t id, const StyleSet* styles, int32_t type);
  bool Draw(HDC dc) override;
  bool SetRect(int32_t left, int32_t top, int32_t right, int32_t bottom) override;
  void SetImage(Gdiplus::Image* image);
  Gdiplus::Image* Image() const { return image_; }
  ui::Rect ImageRect() const { return imageRect_; }
  // The style of the current state; the default style for a state outside 0-3.
  ResourceStyle CurrentStyle() const;

  StyleSet styles;
  int32_t outsetX = 0, outsetY = 0;
  double aspect = 0;

 protected:
  // Fill, image and border: the part every image-family widget draws first.
  void DrawImagePart(Gdiplus::Graphics& g, const ResourceStyle& style);
  void FitImage();

  Gdiplus::Image* image_ = nullptr;  // owned by the resource manager
  ui::Rect imageRect_;
};

class CButtonResource : public CImageResource {
 public:
  CButtonResource(int32_t id, const std::wstring& caption, const StyleSet* styles);
  bool Draw(HDC dc) override;
  bool SetRect(int32_t left, int32_t top, int32_t right, int32_t bottom) override;
  void SetNormalImage(Gdiplus::Image* image) { SetStateImage(kStateNormal, image); }
  void SetHoverImage(Gdiplus::Image* image) { SetStateImage(kStateHover, image); }
  void SetPressedImage(Gdiplus::Image* image) { SetStateImage(kStatePressed, image); }
  void SetDisabledImage(Gdiplus::Image* image) { SetStateImage(kStateDisabled, image); }
  ui::Rect IconRect() const { return iconRect_; }

  std::wstring caption;

 private:
  void SetStateImage(int32_t which, Gdiplus::Image* image);
  void FitIcon();
  std::array<Gdiplus::Image*, 4> stateImages_{};
  ui::Rect iconRect_;
};

class CCheckboxResource : public CImageResource {
 public:
  CCheckboxResource(int32_t id, const StyleSet* styles, const std::wstring& caption, Gdiplus::Image* checkedImage,
                    Gdiplus::Image* uncheckedImage);
  bool Draw(HDC dc) override;
  bool SetRect(int32_t left, int32_t top, int32_t right, int32_t bottom) override;
  ui::Rect BoxRect() const { return boxRect_; }

  int32_t checked = 1;
  std::wstring caption;

 private:
  void FitBox();
  // The picture of the checked flag: checked 1, unchecked 0, none for any other value.
  Gdiplus::Image* BoxImage() const { return checked == 1 ? checkedImage_ : checked == 0 ? uncheckedImage_ : nullptr; }
  Gdiplus::Image* checkedImage_;
  Gdiplus::Image* uncheckedImage_;
  ui::Rect boxRect_;
};

class CTextResource : public CImageResource {
 public:
  CTextResource(int32_t id, const StyleSet* styles, const std::wstring& text);
  bool Draw(HDC dc) override;

  std::wstring text;
};

class CProgressResource : public CImageResource {
 public:
  explicit CProgressResource(const StyleSet* styles);
  bool Draw(HDC dc) override;
  bool SetRect(int32_t left, int32_t top, int32_t right, int32_t bottom) override;
  bool SetPercent(uint32_t percent);
  uint32_t Percent() const { return percent_; }
  ui::Rect BarRect() const { return barRect_; }

 private:
  uint32_t percent_ = 0;
  ui::Rect barRect_;
};

// Places its children by weights; draws nothing. Children and background are references into the view's
// list and are not owned here.
class CLayoutResource : public IBaseResource {
 public:
  CLayoutResource(int32_t direction, int32_t id);
  bool Draw(HDC) override { return true; }
  bool SetRect(int32_t left, int32_t top, int32_t right, int32_t bottom) override;
  void AddChild(IBaseResource* child, uint32_t weight);
  void SetMargins(uint32_t left, uint32_t top, uint32_t right, uint32_t bottom);
  void SetSpacing(uint32_t spacing) { spec_.spacing = spacing; }
  void SetBackground(IBaseResource* background) { background_ = background; }

 private:
  ui::LayoutSpec spec_;
  IBaseResource* background_ = nullptr;
  std::vector<IBaseResource*> children_;
  std::vector<uint32_t> weights_;
};

class CSpacerResource : public IBaseResource {
 public:
  explicit CSpacerResource(int32_t id) : IBaseResource(kTypeSpacer, id) {}
  bool Draw(HDC) override { return true; }
  bool SetRect(int32_t left, int32_t top, int32_t right, int32_t bottom) override {
    rect = ui::Rect{left, top, right, bottom};
    return true;
  }
};

// The UI scale factor of AppEnvironment (1.0 once the environment is gone).
double UiScale();
