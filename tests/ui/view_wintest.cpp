#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "net/app_environment.h"
#include "platform/dyn_calls.h"
#include "ui/base_view.h"
#include "ui/base_window.h"
#include "ui_support.h"

namespace {

constexpr const wchar_t* kTestClass = L"VexraUiTestWindow";
constexpr UINT kMsgAnswer = WM_APP + 140;

class TestWindow : public IBaseWindow {
 public:
  TestWindow(HWND owner, uint32_t w, uint32_t h) : IBaseWindow(kTestClass, owner, w, h) {}
  ~TestWindow() override {
    view.reset();
    if (::IsWindow(hwnd_)) ::DestroyWindow(hwnd_);
  }
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    seen.push_back(message);
    if (message == WM_ERASEBKGND) return 0;
    if (view) return view->WindowProc(message, wParam, lParam);
    return ::DefWindowProcW(hwnd_, message, wParam, lParam);
  }
  bool Saw(UINT message) const { return std::find(seen.begin(), seen.end(), message) != seen.end(); }
  std::vector<UINT> seen;
  std::unique_ptr<IBaseView> view;
};

// A page with one of each kind of resource, placed by hand:
//   0 root layout, 1 background, 2 button, 3 disabled button, 4 checkbox, 5 progress, 6 icon, 7 text,
//   8 spacer, 9 edit-like passive box (type 6), 10 decoration lying over button 2
class TestView : public IBaseView {
 public:
  TestView(HWND hwnd, Protocol protocol) : IBaseView(hwnd, nullptr), protocol_(protocol) {
    auto* root = new CLayoutResource(1, 9);
    Append(root);
    StyleSet bg = DefaultStyleSet();
    for (auto& s : bg) s.fillColor = 0xFF336699;
    Add(new CImageResource(1, &bg, kTypeImage), {0, 0, 600, 400});
    Add(new CButtonResource(2, L"A", nullptr), {10, 10, 110, 40});
    auto* disabled = new CButtonResource(3, L"B", nullptr);
    disabled->state = kStateDisabled;
    Add(disabled, {10, 50, 110, 80});
    Add(new CCheckboxResource(4, nullptr, L"C", nullptr, nullptr), {10, 90, 110, 120});
    Add(new CProgressResource(nullptr), {10, 130, 310, 150});
    Add(new CImageResource(6, nullptr, kTypeIcon), {200, 10, 260, 70});
    Add(new CTextResource(7, nullptr, L"T"), {10, 160, 110, 190});
    Add(new CSpacerResource(8), {10, 200, 110, 230});
    auto* edit = new CImageResource(9, nullptr, kTypeImage);
    edit->type = kTypeEdit;
    Add(edit, {10, 240, 110, 270});
    Add(new CImageResource(10, nullptr, kTypeImage), {0, 0, 50, 50});
    root->rect = ui::Rect{0, 0, 600, 400};
  }

  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    auto update = [this](int32_t target, UINT msg) { return UpdateButtonStates(target, msg); };
    switch (message) {
      case WM_MOUSEMOVE: return OnMouseMove(protocol_, wParam, lParam, update);
      case WM_LBUTTONDOWN: return OnButtonDown(protocol_, wParam, lParam, update);
      case WM_LBUTTONUP: return OnButtonUp(protocol_, wParam, lParam);
      case kMsgResourceClick:
        clicks.push_back(static_cast<int32_t>(wParam));
        statesAtClick.push_back(resources_[wParam]->state);
        if (onClick) onClick();
        AfterClick(static_cast<int32_t>(wParam), update);
        return 0;
      case WM_PAINT: return protocol_ == Protocol::Popup ? PaintLayered() : PaintDirect(message, wParam, lParam);
      default: return ::DefWindowProcW(hwnd_, message, wParam, lParam);
    }
  }
  int32_t State(int i) const { return resources_[i]->state; }

  std::vector<int32_t> clicks, statesAtClick;
  int drags = 0;
  std::function<void()> onClick;

 protected:
  void StartWindowDrag() override { ++drags; }  // the real one runs the system's move loop

 private:
  void Add(IBaseResource* r, ui::Rect at) {
    Append(r);
    r->SetRect(at.left, at.top, at.right, at.bottom);
  }
  Protocol protocol_;
};

LPARAM At(int x, int y) { return MAKELPARAM(x, y); }

int PostedClicks(HWND hwnd, std::vector<WPARAM>* indexes = nullptr) {
  int n = 0;
  MSG msg;
  while (::PeekMessageW(&msg, hwnd, kMsgResourceClick, kMsgResourceClick, PM_REMOVE)) {
    ++n;
    if (indexes) indexes->push_back(msg.wParam);
  }
  return n;
}

class Views : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!GetAppEnvironment()) CreateAppEnvironment();
  }
  std::unique_ptr<TestWindow> MakeWindow(TestView::Protocol protocol, HWND owner = nullptr) {
    auto w = std::make_unique<TestWindow>(owner, 600, 400);
    w->view = std::make_unique<TestView>(w->Hwnd(), protocol);
    return w;
  }
  static TestView& ViewOf(TestWindow& w) { return static_cast<TestView&>(*w.view); }
  GdiplusScope gdiplus_;
};

TEST_F(Views, WindowIsSizedCentredHiddenAndFindsItsObjectOnlyAfterCreation) {
  TestWindow w(nullptr, 600, 400);
  RECT work{};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  RECT r{};
  ::GetWindowRect(w.Hwnd(), &r);
  EXPECT_EQ(r.right - r.left, 600);
  EXPECT_EQ(r.bottom - r.top, 400);
  EXPECT_EQ(r.left, work.right / 2 - 300);
  EXPECT_EQ(r.top, work.bottom / 2 - 200);
  EXPECT_DOUBLE_EQ(GetAppEnvironment()->scale, 1.0);  // Xvfb: 96 DPI
  EXPECT_FALSE(::IsWindowVisible(w.Hwnd()));
  EXPECT_EQ(::GetPropW(w.Hwnd(), L"WndClassPtr"), static_cast<IBaseWindow*>(&w));
  EXPECT_FALSE(w.Saw(WM_NCCREATE));  // creation messages went to default handling
  EXPECT_FALSE(w.Saw(WM_CREATE));
  LONG_PTR style = ::GetWindowLongPtrW(w.Hwnd(), GWL_STYLE);
  EXPECT_TRUE(style & WS_POPUP);
  EXPECT_FALSE(style & WS_CAPTION);
  EXPECT_TRUE(::GetWindowLongPtrW(w.Hwnd(), GWL_EXSTYLE) & WS_EX_APPWINDOW);
  wchar_t title[64] = {};
  ::GetWindowTextW(w.Hwnd(), title, 64);
  EXPECT_STREQ(title, L"vxpicconv_win");

  TestWindow owned(w.Hwnd(), 400, 200);
  EXPECT_TRUE(::GetWindowLongPtrW(owned.Hwnd(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  EXPECT_EQ(::GetWindow(owned.Hwnd(), GW_OWNER), w.Hwnd());
}

TEST_F(Views, StoredDpiRatioDrivesLaterSizingsAndTheUiScale) {
  { TestWindow first(nullptr, 600, 400); }  // the ratio is measured once (96 DPI under Xvfb: 1.0)
  AppEnvironment* env = GetAppEnvironment();
  ASSERT_DOUBLE_EQ(env->dpiRatio, 1.0);
  env->dpiRatio = 1.25;  // as measured on a 120-DPI display
  struct Restore {
    ~Restore() {
      GetAppEnvironment()->dpiRatio = 1.0;
      GetAppEnvironment()->scale = 1.0;
    }
  } restore;
  RECT work{};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  ASSERT_GT(work.right - work.left, work.bottom - work.top);  // Xvfb's screen is landscape
  TestWindow w(nullptr, 600, 400);
  RECT r{};
  ::GetWindowRect(w.Hwnd(), &r);
  EXPECT_EQ(r.right - r.left, 750);
  EXPECT_EQ(r.bottom - r.top, 500);
  EXPECT_DOUBLE_EQ(env->scale, 1.25);
  EXPECT_TRUE(w.Resize(400, 200));
  ::GetWindowRect(w.Hwnd(), &r);
  EXPECT_EQ(r.right - r.left, 500);
  EXPECT_EQ(r.bottom - r.top, 250);
  EXPECT_EQ(r.left, work.right / 2 - 250);
  env->dpiRatio = 0.9;  // never smaller than the design size
  EXPECT_TRUE(w.Resize(600, 400));
  ::GetWindowRect(w.Hwnd(), &r);
  EXPECT_EQ(r.right - r.left, 600);
  EXPECT_DOUBLE_EQ(env->scale, 1.0);
}

// Run by tests/ui/at-logpixels with the display at another DPI: the first window measures the ratio
// from the display itself.
TEST_F(Views, TheFirstWindowMeasuresTheDisplaysDpi) {
  const char* logPixels = std::getenv("VEXRA_TEST_LOGPIXELS");
  if (logPixels == nullptr) GTEST_SKIP() << "runs only with the display at another DPI";
  const double ratio = std::atoi(logPixels) / 96.0;
  // As the installer does at start-up: without it the system scales the window for us.
  if (auto aware = dyn::Get().SetProcessDPIAware) aware();
  struct Restore {
    ~Restore() {
      GetAppEnvironment()->dpiRatio = 1.0;
      GetAppEnvironment()->scale = 1.0;
    }
  } restore;
  TestWindow w(nullptr, 600, 400);
  EXPECT_DOUBLE_EQ(GetAppEnvironment()->dpiRatio, ratio);
  EXPECT_DOUBLE_EQ(GetAppEnvironment()->scale, ratio);
  RECT r{};
  ::GetWindowRect(w.Hwnd(), &r);
  EXPECT_EQ(r.right - r.left, static_cast<LONG>(600 * ratio + 0.5));
  EXPECT_EQ(r.bottom - r.top, static_cast<LONG>(400 * ratio + 0.5));
}

TEST_F(Views, ResizeChangesTheSizeAndCentresAgain) {
  TestWindow w(nullptr, 600, 400);
  RECT work{};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  struct Step {
    uint32_t w, h;
  } steps[] = {{400, 200}, {400, 200}, {600, 400}};
  for (const auto& s : steps) {
    ::SetWindowPos(w.Hwnd(), nullptr, 3, 7, 0, 0, SWP_NOSIZE | SWP_NOZORDER);  // the user dragged it away
    EXPECT_TRUE(w.Resize(s.w, s.h));
    RECT r{};
    ::GetWindowRect(w.Hwnd(), &r);
    EXPECT_EQ(r.right - r.left, static_cast<LONG>(s.w));
    EXPECT_EQ(r.bottom - r.top, static_cast<LONG>(s.h));
    EXPECT_EQ(r.left, work.right / 2 - static_cast<LONG>(s.w) / 2);
    EXPECT_EQ(r.top, work.bottom / 2 - static_cast<LONG>(s.h) / 2);
  }
  ::DestroyWindow(w.Hwnd());
  EXPECT_FALSE(w.Resize(600, 400));
}

// Leaves its native window alone when destroyed, as IBaseWindow's own destructor does.
class KeptWindow : public IBaseWindow {
 public:
  explicit KeptWindow(int* calls) : IBaseWindow(kTestClass, nullptr, 600, 400), calls_(calls) {}
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    ++*calls_;
    return ::DefWindowProcW(hwnd_, message, wParam, lParam);
  }

 private:
  int* calls_;
};

TEST_F(Views, DestroyedObjectIsNeverCalledByItsStillLivingWindow) {
  int calls = 0;
  HWND hwnd = nullptr;
  {
    KeptWindow w(&calls);
    hwnd = w.Hwnd();
    ::SendMessageW(hwnd, WM_NULL, 0, 0);
    EXPECT_EQ(calls, 1);
  }
  ASSERT_TRUE(::IsWindow(hwnd));
  EXPECT_EQ(::GetPropW(hwnd, L"WndClassPtr"), nullptr);
  ::SendMessageW(hwnd, WM_NULL, 0, 0);
  EXPECT_EQ(calls, 1);
  ::DestroyWindow(hwnd);
}

TEST_F(Views, PageMouseMoveHoversButtonsAndRestsThemOnPassiveResourcesOnly) {
  auto w = MakeWindow(TestView::Protocol::MainPage);
  TestView& v = ViewOf(*w);
  HWND h = w->Hwnd();
  EXPECT_EQ(v.HoverIndex(), -1);
  struct Step {
    int x, y;
    int32_t hover;
    int32_t buttonState;  // of resource 2 afterwards
  } steps[] = {
      {400, 300, 1, kStateNormal},  // background
      {60, 25, 2, kStateHover},     // the button, under a decoration that does not hide it
      {60, 140, 5, kStateHover},    // progress bar: the button keeps its hover
      {60, 255, 9, kStateHover},    // edit box: likewise
      {60, 105, 4, kStateNormal},   // checkbox rests it
      {60, 25, 2, kStateHover},
      {60, 175, 7, kStateNormal},   // text
      {60, 25, 2, kStateHover},
      {230, 40, 6, kStateNormal},   // icon
      {60, 25, 2, kStateHover},
      {60, 215, 8, kStateNormal},   // spacer
      {60, 25, 2, kStateHover},
      {20, 20, 2, kStateHover},     // same index again: nothing changes
      {25, 45, 10, kStateNormal},   // the decoration itself where no button is
      {700, 500, 0, kStateNormal},  // outside everything: the root layout
  };
  for (const auto& s : steps) {
    ::SendMessageW(h, WM_MOUSEMOVE, 0, At(s.x, s.y));
    EXPECT_EQ(v.HoverIndex(), s.hover) << s.x << "," << s.y;
    EXPECT_EQ(v.State(2), s.buttonState) << s.x << "," << s.y;
    EXPECT_EQ(v.State(3), kStateDisabled);
  }
}

TEST_F(Views, PagePressAndReleasePostClicksAndDragTheWindowFromAnythingElse) {
  auto w = MakeWindow(TestView::Protocol::MainPage);
  TestView& v = ViewOf(*w);
  HWND h = w->Hwnd();
  ::SetWindowPos(h, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  struct Case {
    const char* name;
    int x, y;
    int drags;          // window drags started by the press
    int32_t pressed;    // state of the hit resource after the press (-1: not a button)
    int posts;          // clicks posted by the release
  } cases[] = {
      {"button", 60, 25, 0, kStatePressed, 1},
      {"disabled button drags, posts nothing", 60, 65, 1, kStateDisabled, 0},
      {"checkbox: no drag, posts", 60, 105, 0, -1, 1},
      {"background drags and posts index 1", 400, 300, 1, -1, 1},
      {"icon drags, never posts", 230, 40, 1, -1, 0},
      {"progress drags, posts", 60, 140, 1, -1, 1},
  };
  for (const auto& c : cases) {
    v.drags = 0;
    ::SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, At(c.x, c.y));
    EXPECT_EQ(v.drags, c.drags) << c.name;
    int32_t index = v.HitTest(At(c.x, c.y));
    if (c.pressed >= 0) {
      EXPECT_EQ(v.State(index), c.pressed) << c.name;
    }
    ::SendMessageW(h, WM_LBUTTONUP, 0, At(c.x, c.y));
    std::vector<WPARAM> indexes;
    EXPECT_EQ(PostedClicks(h, &indexes), c.posts) << c.name;
    if (c.posts) {
      EXPECT_EQ(indexes[0], static_cast<WPARAM>(index)) << c.name;
    }
  }
  // The press made the main window non-topmost.
  EXPECT_FALSE(::GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(Views, ClickIsHandledBeforeTheStateUpdateAndReleaseElsewherePostsForThatItem) {
  auto w = MakeWindow(TestView::Protocol::MainPage);
  TestView& v = ViewOf(*w);
  HWND h = w->Hwnd();
  ::SendMessageW(h, WM_MOUSEMOVE, 0, At(60, 25));
  ::SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, At(60, 25));
  ::SendMessageW(h, WM_LBUTTONUP, 0, At(60, 25));
  PumpFor(50);
  ASSERT_EQ(v.clicks, std::vector<int32_t>{2});
  EXPECT_EQ(v.statesAtClick[0], kStatePressed);  // the handler saw the pressed button
  EXPECT_EQ(v.State(2), kStateNormal);          // then the update rested it

  // Pressed on the button, released over the text: the text's index is posted; there is no capture.
  ::SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, At(60, 25));
  ::SendMessageW(h, WM_LBUTTONUP, 0, At(60, 175));
  std::vector<WPARAM> indexes;
  EXPECT_EQ(PostedClicks(h, &indexes), 1);
  EXPECT_EQ(indexes, std::vector<WPARAM>{7});
}

TEST_F(Views, PopupCannotBeDraggedAndPostsClicksForButtonsOnly) {
  auto main = MakeWindow(TestView::Protocol::MainPage);
  auto popup = MakeWindow(TestView::Protocol::Popup, main->Hwnd());
  TestView& v = ViewOf(*popup);
  HWND h = popup->Hwnd();
  struct Case {
    const char* name;
    int x, y;
    int posts;
  } cases[] = {
      {"button", 60, 25, 1},
      {"background", 400, 300, 0},
      {"checkbox", 60, 105, 0},
      {"text", 60, 175, 0},
      {"disabled button", 60, 65, 0},
  };
  for (const auto& c : cases) {
    ::SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, At(c.x, c.y));
    ::SendMessageW(h, WM_LBUTTONUP, 0, At(c.x, c.y));
    EXPECT_EQ(PostedClicks(h), c.posts) << c.name;
  }
  EXPECT_EQ(v.drags, 0);
  // In a popup a checkbox is not in the reset set: hovering it keeps the button's hover.
  ::SendMessageW(h, WM_MOUSEMOVE, 0, At(60, 25));
  ::SendMessageW(h, WM_MOUSEMOVE, 0, At(60, 105));
  EXPECT_EQ(v.State(2), kStateHover);
  ::SendMessageW(h, WM_MOUSEMOVE, 0, At(60, 175));
  EXPECT_EQ(v.State(2), kStateNormal);
}

TEST_F(Views, ProtocolsDifferInDragClickPostingAndTopmost) {
  using P = TestView::Protocol;
  struct Case {
    const char* name;
    P protocol;
    int drags;          // press on the background
    int backgroundPosts, checkboxPosts;
    bool staysTopmost;
  } cases[] = {
      {"page", P::Page, 1, 1, 1, true},
      {"main-window page", P::MainPage, 1, 1, 1, false},
      {"reminder", P::Reminder, 1, 0, 0, true},
      {"popup", P::Popup, 0, 0, 0, true},
  };
  for (const auto& c : cases) {
    auto w = MakeWindow(c.protocol);
    TestView& v = ViewOf(*w);
    HWND h = w->Hwnd();
    ::SetWindowPos(h, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ::SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, At(400, 300));
    ::SendMessageW(h, WM_LBUTTONUP, 0, At(400, 300));
    EXPECT_EQ(v.drags, c.drags) << c.name;
    EXPECT_EQ(PostedClicks(h), c.backgroundPosts) << c.name;
    ::SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, At(60, 105));
    ::SendMessageW(h, WM_LBUTTONUP, 0, At(60, 105));
    EXPECT_EQ(v.drags, c.drags) << c.name << ": a checkbox never drags";
    EXPECT_EQ(PostedClicks(h), c.checkboxPosts) << c.name;
    ::SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, At(60, 25));
    ::SendMessageW(h, WM_LBUTTONUP, 0, At(60, 25));
    EXPECT_EQ(PostedClicks(h), 1) << c.name << ": every protocol posts for a button";
    EXPECT_EQ((::GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0, c.staysTopmost) << c.name;
  }
}

TEST_F(Views, LayeredPaintMakesThePopupLayeredAndDirectPaintShowsTheResources) {
  auto main = MakeWindow(TestView::Protocol::MainPage);
  auto popup = MakeWindow(TestView::Protocol::Popup, main->Hwnd());
  ::ShowWindow(popup->Hwnd(), SW_SHOWNA);
  ::InvalidateRect(popup->Hwnd(), nullptr, TRUE);
  ::UpdateWindow(popup->Hwnd());
  EXPECT_TRUE(::GetWindowLongPtrW(popup->Hwnd(), GWL_EXSTYLE) & WS_EX_LAYERED);
  ::ShowWindow(popup->Hwnd(), SW_HIDE);

  ::ShowWindow(main->Hwnd(), SW_SHOWNA);
  ::UpdateWindow(main->Hwnd());
  PumpFor(50);
  EXPECT_FALSE(::GetWindowLongPtrW(main->Hwnd(), GWL_EXSTYLE) & WS_EX_LAYERED);
  RECT update{};
  EXPECT_FALSE(::GetUpdateRect(main->Hwnd(), &update, FALSE));  // the paint validated the window
  EXPECT_TRUE(main->Saw(WM_PAINT));
}

TEST_F(Views, ShowMakesTheWindowVisibleTopmostOrNot) {
  auto w = MakeWindow(TestView::Protocol::MainPage);
  EXPECT_EQ(w->view->Show(w->Hwnd(), true), 0);
  EXPECT_TRUE(::IsWindowVisible(w->Hwnd()));
  EXPECT_TRUE(::GetWindowLongPtrW(w->Hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  w->view->Show(w->Hwnd(), false);
  EXPECT_FALSE(::GetWindowLongPtrW(w->Hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(Views, FindByIdReturnsTheFirstMatchAndEmptyViewHitsZero) {
  auto w = MakeWindow(TestView::Protocol::MainPage);
  EXPECT_EQ(w->view->FindById(7), w->view->Resources()[7]);
  EXPECT_EQ(w->view->FindById(9), w->view->Resources()[0]);  // the root layout's id comes first
  EXPECT_EQ(w->view->FindById(77), nullptr);

  struct EmptyView : IBaseView {
    using IBaseView::IBaseView;
    LRESULT WindowProc(UINT m, WPARAM wp, LPARAM lp) override {
      if (m == WM_MOUSEMOVE) return OnMouseMove(Protocol::Page, wp, lp, [](int32_t, UINT) { return true; });
      if (m == WM_LBUTTONUP) return OnButtonUp(Protocol::Page, wp, lp);
      return ::DefWindowProcW(hwnd_, m, wp, lp);
    }
  };
  TestWindow host(nullptr, 600, 400);
  host.view = std::make_unique<EmptyView>(host.Hwnd(), nullptr);
  EXPECT_EQ(host.view->HitTest(At(5, 5)), 0);
  ::SendMessageW(host.Hwnd(), WM_MOUSEMOVE, 0, At(5, 5));
  ::SendMessageW(host.Hwnd(), WM_LBUTTONUP, 0, At(5, 5));
  EXPECT_EQ(PostedClicks(host.Hwnd()), 0);
}

TEST_F(Views, ModalPopupDiscardsTheMainWindowsInputAndReportsTheAnswer) {
  auto main = MakeWindow(TestView::Protocol::MainPage);
  auto popup = MakeWindow(TestView::Protocol::Popup, main->Hwnd());
  popup->Resize(400, 200);
  ::ShowWindow(main->Hwnd(), SW_SHOWNA);
  main->seen.clear();
  HWND p = popup->Hwnd();
  ::PostMessageW(main->Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, At(60, 25));
  ::PostMessageW(main->Hwnd(), WM_KEYDOWN, VK_RETURN, 0);
  ::PostMessageW(main->Hwnd(), WM_MOUSEMOVE, 0, At(60, 25));
  ::PostMessageW(p, kMsgAnswer, 0, 0);
  ::PostMessageW(p, WM_QUIT, 0, 0);
  EXPECT_TRUE(RunModalPopup(main->Hwnd(), p, kMsgAnswer));
  EXPECT_FALSE(main->Saw(WM_LBUTTONDOWN));
  EXPECT_FALSE(main->Saw(WM_KEYDOWN));
  EXPECT_FALSE(main->Saw(WM_MOUSEMOVE));
  EXPECT_TRUE(popup->Saw(kMsgAnswer));
  RECT m{}, r{};
  ::GetWindowRect(main->Hwnd(), &m);
  ::GetWindowRect(p, &r);
  EXPECT_EQ(r.left, m.left + ((m.right - m.left) - (r.right - r.left)) / 2);
  EXPECT_EQ(r.top, m.top + ((m.bottom - m.top) - (r.bottom - r.top)) / 2);
  EXPECT_TRUE(::IsWindowVisible(p));

  // Without the answer: false. The main window reacts again after the loop.
  ::PostMessageW(p, WM_QUIT, 0, 0);
  EXPECT_FALSE(RunModalPopup(main->Hwnd(), p, kMsgAnswer));
  ::SendMessageW(main->Hwnd(), WM_MOUSEMOVE, 0, At(60, 25));
  EXPECT_TRUE(main->Saw(WM_MOUSEMOVE));
}

TEST_F(Views, ModalPopupStaysInsideTheWorkAreaAndTakesTheMainWindowAlong) {
  auto main = MakeWindow(TestView::Protocol::MainPage);
  auto popup = MakeWindow(TestView::Protocol::Popup, main->Hwnd());
  popup->Resize(400, 200);
  RECT work{};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  // Main window hanging off the left and bottom edges.
  ::SetWindowPos(main->Hwnd(), nullptr, work.left - 500, work.bottom - 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ::PostMessageW(popup->Hwnd(), WM_QUIT, 0, 0);
  RunModalPopup(main->Hwnd(), popup->Hwnd(), kMsgAnswer);
  RECT m{}, r{};
  ::GetWindowRect(main->Hwnd(), &m);
  ::GetWindowRect(popup->Hwnd(), &r);
  EXPECT_GE(r.left, work.left);
  EXPECT_LE(r.bottom, work.bottom);
  EXPECT_EQ(r.left, m.left + 100);  // still centred on the main window
  EXPECT_EQ(r.top, m.top + 100);
}

}  // namespace
