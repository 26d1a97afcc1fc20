#include "ui/edit_resource.h"

#include "platform/error.h"

namespace {

constexpr const wchar_t* kEditObjectProperty = L"EditClassPtr";
WNDPROC g_editClassProc = nullptr;  // the system edit class's procedure, shared by every edit widget

StyleSet EditDefaults() {
  StyleSet set = DefaultStyleSet();
  for (ResourceStyle& s : set) {
    s.textColor = 0xFF1A1A1A;
    s.fillColor = 0x00FFFFFF;
    s.borderColor = 0x00FFFFFF;
  }
  return set;
}

}  // namespace

CEditResource::CEditResource(HWND parent, const StyleSet* given) : CImageResource(kEditResourceId, nullptr, kTypeEdit) {
  styles = given ? *given : EditDefaults();
  control_ = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"Edit", initialText_.c_str(), 0x50A00080, 0, 0, 100, 25, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEditResourceId)), nullptr, nullptr);
  if (!control_) throw MorvelError("create widget error");
  g_editClassProc = reinterpret_cast<WNDPROC>(::GetClassLongPtrW(control_, GCLP_WNDPROC));
  ::SetPropW(control_, kEditObjectProperty, this);
  ::SetWindowLongPtrW(control_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CEditResource::ControlProc));
  const ResourceStyle& normal = styles[kStateNormal];
  font_.Reset(::CreateFontW(-static_cast<int>(UiScale() * normal.fontSize), 0, 0, 0, 0, FALSE, FALSE, FALSE, 0,
                            OUT_TT_PRECIS, 0, 0, 0, normal.fontFamily.c_str()));
  ::SendMessageW(control_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
}

CEditResource::~CEditResource() {
  // The control outlives the widget until its parent goes; it must neither call back into this object
  // nor keep drawing with the font deleted here.
  if (control_ && ::IsWindow(control_)) {
    ::RemovePropW(control_, kEditObjectProperty);
    ::SendMessageW(control_, WM_SETFONT, 0, FALSE);
  }
}

LRESULT CALLBACK CEditResource::ControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!::GetPropW(hwnd, kEditObjectProperty) || !g_editClassProc) {
    if (g_editClassProc) return ::CallWindowProcW(g_editClassProc, hwnd, message, wParam, lParam);
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
  }
  // The frame and the scroll-bar strip are left to the page's own painting.
  if (message == WM_NCPAINT && (::GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE)) return 0;
  if (message == WM_NCDESTROY) ::RemovePropW(hwnd, kEditObjectProperty);
  return ::CallWindowProcW(g_editClassProc, hwnd, message, wParam, lParam);
}

bool CEditResource::Draw(HDC) {
  ::ShowWindow(control_, SW_SHOWNORMAL);
  ::InvalidateRect(control_, nullptr, TRUE);
  return true;
}

bool CEditResource::SetRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  CImageResource::SetRect(left, top, right, bottom);
  ::SetWindowPos(control_, nullptr, rect.left, rect.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ::SetWindowPos(control_, nullptr, 0, 0, rect.Width(), rect.Height(), SWP_NOMOVE | SWP_NOZORDER);
  return true;
}
