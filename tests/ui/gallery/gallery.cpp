// Renders every widget in every state and all skin pictures into one PNG, so that a person can look at
// what users will see.   ui_gallery.exe OUTPUT.png [--show MILLISECONDS]
// With --show it also puts the gallery on screen as a page window with a layered popup above it, for
// a screenshot of the real windows.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <cstdio>
#include <string>
#include <vector>

#include "../../platform/scratch.h"
#include "net/app_environment.h"
#include "ui/base_view.h"
#include "ui/base_window.h"
#include "ui/edit_resource.h"
#include "ui/movie_resource.h"
#include "ui/resource_mgr.h"
#include "../ui_support.h"

namespace {

const wchar_t* const kSkin[] = {
    L"main_bg.png", L"logo.png", L"install_banner.png", L"global_btn_close_normal.png",
    L"global_btn_close_hover.png", L"global_btn_close_press.png", L"custom_btn_back_normal.png",
    L"custom_btn_back_hover.png", L"custom_btn_back_press.png", L"main_word_custom_normal.png",
    L"main_word_custom_hover.png", L"main_word_custom_press.png", L"main_checkbox_select.png",
    L"main_checkbox_deselect.png", L"inquire_icon.png", L"error_icon.png"};
const wchar_t* const kStateNames[] = {L"Normal", L"Hover", L"Pressed", L"Disabled"};

constexpr int kWidth = 1200, kHeight = 860;

class GalleryView : public IBaseView {
 public:
  GalleryView(HWND hwnd, IResourceMgr* mgr, bool* complete) : IBaseView(hwnd, mgr) {
    *complete = true;
    auto image = [&](const wchar_t* name) {
      Gdiplus::Image* i = mgr->GetImage(name);
      if (!i) *complete = false;
      return i;
    };
    Append(new CLayoutResource(1, 99));
    StyleSet page = DefaultStyleSet();
    for (auto& s : page) s.fillColor = 0xFFF4F6F9;
    Place(new CImageResource(98, &page, kTypeImage), 0, 0, kWidth, kHeight);

    // Row 1: the skin pictures, each contained in a 130 x 90 cell on a chequered ground to show alpha.
    for (int i = 0; i < 16; ++i) {
      int x = 10 + (i % 8) * 148, y = 30 + (i / 8) * 130;
      StyleSet cell = DefaultStyleSet();
      for (auto& s : cell) {
        s.fillColor = (i % 2) ? 0xFFDDDDDD : 0xFFCCCCCC;
        s.borderWidth = 1;
      }
      auto* pic = new CImageResource(100 + i, &cell, kTypeImage);
      pic->SetImage(image(kSkin[i]));
      Place(pic, x, y, x + 138, y + 90);
      Caption(kSkin[i], x, y + 92, x + 138, y + 110, 11);
    }
    Caption(L"\u76ae\u80a4\u56fe\u7247 (16)", 10, 4, 400, 26, 15);

    // Row 2: buttons in each state: text only, icon left, icon right, icon only.
    int y = 300;
    Caption(L"\u6309\u94ae", 10, y - 24, 200, y - 4, 15);
    for (int s = 0; s < 4; ++s) {
      int x = 10 + s * 295;
      Caption(kStateNames[s], x, y, x + 280, y + 18, 12);
      auto* plain = new CButtonResource(200 + s, L"\u7acb\u5373\u5b89\u88c5", nullptr);
      plain->state = s;
      Place(plain, x, y + 20, x + 140, y + 60);
      StyleSet link = DefaultStyleSet();
      const Gdiplus::ARGB colours[4] = {0xFF808080, 0xFF4197FF, 0xFF1873DE, 0xFF808080};
      for (int k = 0; k < 4; ++k) {
        link[k].textColor = colours[k];
        link[k].fontSize = 14;
        link[k].imageOnRight = 1;
        link[k].hAlign = 2;
      }
      auto* custom = new CButtonResource(210 + s, L"\u81ea\u5b9a\u4e49\u5b89\u88c5", &link);
      custom->SetNormalImage(image(L"main_word_custom_normal.png"));
      custom->SetHoverImage(image(L"main_word_custom_hover.png"));
      custom->SetPressedImage(image(L"main_word_custom_press.png"));
      custom->SetDisabledImage(image(L"main_word_custom_normal.png"));
      custom->state = s;
      Place(custom, x + 150, y + 28, x + 280, y + 52);
      StyleSet back = DefaultStyleSet();
      for (auto& k : back) k.fontSize = 14;
      auto* backButton = new CButtonResource(220 + s, L"\u8fd4\u56de", &back);
      backButton->SetNormalImage(image(L"custom_btn_back_normal.png"));
      backButton->SetHoverImage(image(L"custom_btn_back_hover.png"));
      backButton->SetPressedImage(image(L"custom_btn_back_press.png"));
      backButton->state = s;
      Place(backButton, x, y + 70, x + 100, y + 94);
      auto* close = new CButtonResource(230 + s, L"", &back);
      close->SetNormalImage(image(L"global_btn_close_normal.png"));
      close->SetHoverImage(image(L"global_btn_close_hover.png"));
      close->SetPressedImage(image(L"global_btn_close_hover.png"));
      close->state = s;
      Place(close, x + 150, y + 66, x + 182, y + 98);
      StyleSet outline = DefaultStyleSet();
      const Gdiplus::ARGB fills[4] = {0xFFFFFFFF, 0xFFF0F7FF, 0xFFDCEBFF, 0xFFEEEEEE};
      for (int k = 0; k < 4; ++k) {
        outline[k].fillColor = fills[k];
        outline[k].borderWidth = 1;
        outline[k].borderColor = 0xFF4197FF;
        outline[k].cornerRadius = 10;
        outline[k].textColor = 0xFF4197FF;
        outline[k].hAlign = 1;
      }
      auto* round = new CButtonResource(240 + s, L"\u6d4f\u89c8", &outline);
      round->state = s;
      Place(round, x + 190, y + 66, x + 280, y + 98);
    }

    // Row 3: checkboxes, checked and not, in each state.
    y = 440;
    Caption(L"\u590d\u9009\u6846", 10, y - 24, 200, y - 4, 15);
    for (int s = 0; s < 4; ++s) {
      for (int checked = 0; checked < 2; ++checked) {
        int x = 10 + s * 295 + checked * 140;
        auto* box = new CCheckboxResource(300 + s * 2 + checked, nullptr, L"\u5f00\u673a\u81ea\u52a8\u542f\u52a8",
                                          image(L"main_checkbox_select.png"), image(L"main_checkbox_deselect.png"));
        box->checked = checked;
        box->state = s;
        for (auto& k : box->styles) k.fontSize = 14;
        Place(box, x, y, x + 135, y + 22);
      }
    }

    // Row 4: texts in their styles, and progress bars.
    y = 500;
    Caption(L"\u6587\u5b57\u4e0e\u8fdb\u5ea6", 10, y - 24, 200, y - 4, 15);
    struct TextStyle {
      const wchar_t* text;
      bool bold, underline;
      int hAlign;
      uint32_t size;
      Gdiplus::ARGB colour;
    } texts[] = {
        {L"\u666e\u901a\u6587\u5b57 Regular", false, false, 0, 16, 0xFF333333},
        {L"\u7c97\u4f53\u6807\u9898 Bold", true, false, 1, 20, 0xFF1A1A1A},
        {L"\u7528\u6237\u534f\u8bae Underlined", false, true, 2, 14, 0xFF4197FF},
        {L"\u8fd9\u662f\u4e00\u6bb5\u5f88\u957f\u7684\u8bf4\u660e\u6587\u5b57\uff0c\u4f1a\u81ea\u52a8\u6362\u884c"
         L"\uff0c\u6700\u540e\u4e00\u884c\u4f7f\u7528\u7701\u7565\u53f7\u622a\u65ad\u663e\u793a\u591a\u4f59\u5185\u5bb9",
         false, false, 0, 14, 0xFF666666},
    };
    for (int i = 0; i < 4; ++i) {
      StyleSet st = DefaultStyleSet();
      st[0].fillColor = 0xFFFFFFFF;
      st[0].bold = texts[i].bold;
      st[0].underline = texts[i].underline;
      st[0].hAlign = texts[i].hAlign;
      st[0].fontSize = texts[i].size;
      st[0].textColor = texts[i].colour;
      st[0].vAlign = i == 3 ? 0 : 1;
      Place(new CTextResource(400 + i, &st, texts[i].text), 10 + i * 295, y, 10 + i * 295 + 280, y + 44);
    }
    const uint32_t percents[] = {0, 45, 100, 150};
    for (int i = 0; i < 4; ++i) {
      int x = 10 + i * 295;
      Caption((std::to_wstring(percents[i]) + L" %").c_str(), x, y + 54, x + 280, y + 70, 12);
      auto* bar = new CProgressResource(nullptr);
      Place(bar, x, y + 74, x + 200, y + 82);
      bar->SetPercent(percents[i]);
    }

    // Row 5: fills and borders (the diameter-20 case among them), the edit box and the banner.
    y = 640;
    Caption(L"\u586b\u5145\u3001\u8fb9\u6846\u3001\u8f93\u5165\u6846\u3001\u6a2a\u5e45", 10, y - 24, 400, y - 4, 15);
    struct Shape {
      uint32_t radius, border;
    } shapes[] = {{0, 0}, {10, 0}, {11, 0}, {100, 0}, {0, 3}, {4, 3}, {10, 1}};
    for (int i = 0; i < 7; ++i) {
      StyleSet st = DefaultStyleSet();
      st[0].fillColor = 0xFF62A6FB;
      st[0].cornerRadius = shapes[i].radius;
      st[0].borderWidth = shapes[i].border;
      st[0].borderColor = 0xFF1873DE;
      int x = 10 + i * 90;
      Place(new CImageResource(500 + i, &st, kTypeImage), x, y, x + 80, y + (i == 3 ? 20 : 50));
      Caption((L"r" + std::to_wstring(shapes[i].radius) + L" b" + std::to_wstring(shapes[i].border)).c_str(), x, y + 54,
              x + 80, y + 70, 11);
    }
    StyleSet editFrame = DefaultStyleSet();
    for (auto& s : editFrame) {
      s.fillColor = 0xFFFFFFFF;
      s.borderWidth = 1;
      s.borderColor = 0xFFC8C8C8;
    }
    Place(new CImageResource(600, &editFrame, kTypeImage), 650, y, 950, y + 30);
    auto* edit = new CEditResource(hwnd, nullptr);
    for (auto& s : edit->styles) s.fontSize = 14;
    edit->outsetX = -4;
    edit->outsetY = -3;
    Place(edit, 650, y, 950, y + 30);
    MovieParams movie;
    movie.notifyWindow = hwnd;
    movie.builtinImage = image(L"install_banner.png");
    Place(new CMovieResource(movie, 601, nullptr), 960, y - 20, 1190, y + 100);
    Caption(L"CMovieResource (built-in)", 960, y + 102, 1190, y + 120, 11);
  }

  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_PAINT) return PaintDirect(message, wParam, lParam);
    if (message == WM_ERASEBKGND) return 0;
    if (message == kMsgMovieFrame) {
      InvalidateAll();
      return 0;
    }
    return ::DefWindowProcW(hwnd_, message, wParam, lParam);
  }

 private:
  void Place(IBaseResource* r, int l, int t, int rr, int b) {
    Append(r);
    r->SetRect(l, t, rr, b);
  }
  void Caption(const wchar_t* text, int l, int t, int r, int b, uint32_t size) {
    StyleSet st = DefaultStyleSet();
    st[0].fontSize = size;
    st[0].textColor = 0xFF555555;
    Place(new CTextResource(0, &st, text), l, t, r, b);
  }
};

// A question popup drawn with per-pixel alpha: a rounded white card with the question icon.
class PopupView : public IBaseView {
 public:
  PopupView(HWND hwnd, IResourceMgr* mgr) : IBaseView(hwnd, mgr) {
    Append(new CLayoutResource(1, 5));
    StyleSet card = DefaultStyleSet();
    card[0].fillColor = 0xF0FFFFFF;
    card[0].cornerRadius = 10;
    card[0].borderWidth = 1;
    card[0].borderColor = 0xFFD0D0D0;
    Place(new CImageResource(1, &card, kTypeImage), 0, 0, 400, 200);
    auto* icon = new CImageResource(2, nullptr, kTypeIcon);
    icon->SetImage(mgr->GetImage(L"inquire_icon.png"));
    Place(icon, 30, 50, 90, 110);
    StyleSet st = DefaultStyleSet();
    st[0].fontSize = 16;
    Place(new CTextResource(3, &st, L"\u786e\u5b9a\u8981\u53d6\u6d88\u5b89\u88c5\u5417\uff1f"), 110, 50, 380, 110);
    Place(new CButtonResource(4, L"\u7ee7\u7eed\u5b89\u88c5", nullptr), 270, 140, 380, 176);
  }
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_PAINT) return PaintLayered();
    if (message == WM_ERASEBKGND) return 0;
    return ::DefWindowProcW(hwnd_, message, wParam, lParam);
  }

 private:
  void Place(IBaseResource* r, int l, int t, int rr, int b) {
    Append(r);
    r->SetRect(l, t, rr, b);
  }
};

class GalleryWindow : public IBaseWindow {
 public:
  GalleryWindow(HWND owner, uint32_t w, uint32_t h) : IBaseWindow(L"VexraGallery", owner, w, h) {}
  ~GalleryWindow() override {
    delete view;
    view = nullptr;
    if (::IsWindow(hwnd_)) ::DestroyWindow(hwnd_);
  }
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (view) return view->WindowProc(message, wParam, lParam);
    return ::DefWindowProcW(hwnd_, message, wParam, lParam);
  }
  IBaseView* view = nullptr;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    fwprintf(stderr, L"usage: ui_gallery OUTPUT.png [--show MS]\n");
    return 2;
  }
  DWORD showMs = (argc >= 4 && std::wstring(argv[2]) == L"--show") ? static_cast<DWORD>(_wtoi(argv[3])) : 0;
  CreateAppEnvironment();
  ScratchFolder run;
  ResourceMgrSource source;
  source.runFolder = run.Path();
  IResourceMgr* mgr = CreateResourceManager(source);
  if (!mgr) {
    fwprintf(stderr, L"ui_gallery: no resource manager\n");
    return 1;
  }
  int rc = 0;
  {
    GalleryWindow window(nullptr, kWidth, kHeight);
    bool complete = false;
    window.view = new GalleryView(window.Hwnd(), mgr, &complete);
    if (!complete) {
      fwprintf(stderr, L"ui_gallery: a skin picture is missing\n");
      rc = 1;
    }
    // The off-screen rendering, composed as the views compose it.
    Surface surface(kWidth, kHeight);
    window.view->DrawResources(surface.Dc());
    if (!surface.SavePng(argv[1])) {
      fwprintf(stderr, L"ui_gallery: could not write the PNG\n");
      rc = 1;
    }

    if (showMs) {
      ::SetWindowPos(window.Hwnd(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
      ::ShowWindow(window.Hwnd(), SW_SHOW);
      GalleryWindow popup(window.Hwnd(), 400, 200);
      popup.view = new PopupView(popup.Hwnd(), mgr);
      ::SetWindowPos(popup.Hwnd(), nullptr, 760, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
      ::ShowWindow(popup.Hwnd(), SW_SHOWNA);
      PumpFor(showMs);
    }
  }
  mgr->Release();
  return rc;
}
