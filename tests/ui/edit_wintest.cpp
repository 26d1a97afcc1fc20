#include "ui/edit_resource.h"

#include <gtest/gtest.h>

#include "net/app_environment.h"
#include "ui_support.h"

namespace {

class Edit : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!GetAppEnvironment()) CreateAppEnvironment();
    WNDCLASSW wc{};
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VexraEditTestParent";
    ::RegisterClassW(&wc);
    parent_ = ::CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 600, 400, nullptr, nullptr, wc.hInstance,
                                nullptr);
  }
  void TearDown() override {
    ::DestroyWindow(parent_);
    GetAppEnvironment()->scale = 1.0;
  }
  static int CharacterHeight(HWND control) {
    HFONT font = reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
    HDC dc = ::GetDC(control);
    HGDIOBJ old = ::SelectObject(dc, font);
    TEXTMETRICW tm{};
    ::GetTextMetricsW(dc, &tm);
    ::SelectObject(dc, old);
    ::ReleaseDC(control, dc);
    return tm.tmHeight - tm.tmInternalLeading;
  }
  HWND parent_ = nullptr;
  GdiplusScope gdiplus_;
};

TEST_F(Edit, FontHeightFollowsTheUiScale) {
  struct Case {
    double scale;
    uint32_t size;
    int height;
  } cases[] = {{1.25, 14, 17}, {1.0, 14, 14}, {1.5, 16, 24}, {1.75, 15, 26}};
  for (const auto& c : cases) {
    GetAppEnvironment()->scale = c.scale;
    StyleSet st = DefaultStyleSet();
    st[kStateNormal].fontSize = c.size;
    CEditResource edit(parent_, &st);
    HFONT font = reinterpret_cast<HFONT>(::SendMessageW(edit.Control(), WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    LOGFONTW lf{};
    ::GetObjectW(font, sizeof(lf), &lf);
    EXPECT_EQ(lf.lfHeight, -c.height) << c.scale;
    EXPECT_STREQ(lf.lfFaceName, L"Microsoft Yahei");
    EXPECT_EQ(CharacterHeight(edit.Control()), c.height) << c.scale;
  }
}

TEST_F(Edit, ControlIsASubclassedChildShowingTheDefaultFolder) {
  CEditResource edit(parent_, nullptr);
  HWND c = edit.Control();
  EXPECT_EQ(edit.id, 5);
  EXPECT_EQ(edit.type, kTypeEdit);
  EXPECT_EQ(::GetDlgCtrlID(c), 5);
  EXPECT_EQ(::GetParent(c), parent_);
  EXPECT_TRUE(::GetWindowLongPtrW(c, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  EXPECT_EQ(static_cast<DWORD>(::GetWindowLongPtrW(c, GWL_STYLE)) & 0x50A00080u, 0x50A00080u);
  EXPECT_NE(::GetPropW(c, L"EditClassPtr"), nullptr);
  wchar_t text[64] = {};
  ::GetWindowTextW(c, text, 64);
  EXPECT_STREQ(text, L"C:/");
  EXPECT_EQ(edit.styles[0].textColor, 0xFF1A1A1Au);
  // Editing still goes through the system's edit procedure.
  ::SetWindowTextW(c, L"D:\\Program Files\\Vexra");
  ::SendMessageW(c, EM_SETSEL, 0, -1);
  ::SendMessageW(c, WM_CHAR, L'X', 0);
  ::GetWindowTextW(c, text, 64);
  EXPECT_STREQ(text, L"X");
  // The frame is left to the page: the control does not paint its non-client area.
  EXPECT_EQ(::SendMessageW(c, WM_NCPAINT, 1, 0), 0);
}

TEST_F(Edit, SetRectPlacesTheControlAndDrawShowsItAgain) {
  CEditResource edit(parent_, nullptr);
  edit.SetRect(20, 30, 320, 58);
  RECT r{};
  ::GetWindowRect(edit.Control(), &r);
  ::MapWindowPoints(nullptr, parent_, reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.left, 20);
  EXPECT_EQ(r.top, 30);
  EXPECT_EQ(r.right, 320);
  EXPECT_EQ(r.bottom, 58);
  ::ShowWindow(edit.Control(), SW_HIDE);
  Surface s(10, 10);
  EXPECT_TRUE(edit.Draw(s.Dc()));
  EXPECT_TRUE(::GetWindowLongPtrW(edit.Control(), GWL_STYLE) & WS_VISIBLE);
}

TEST_F(Edit, ControlOutlivingTheWidgetKeepsWorking) {
  HWND c = nullptr;
  {
    CEditResource edit(parent_, nullptr);
    c = edit.Control();
  }
  ASSERT_TRUE(::IsWindow(c));
  EXPECT_EQ(::GetPropW(c, L"EditClassPtr"), nullptr);
  ::SetWindowTextW(c, L"E:/");
  wchar_t text[16] = {};
  ::GetWindowTextW(c, text, 16);
  EXPECT_STREQ(text, L"E:/");
  EXPECT_EQ(::SendMessageW(c, WM_GETFONT, 0, 0), 0);  // the widget's font went with it
}

}  // namespace
