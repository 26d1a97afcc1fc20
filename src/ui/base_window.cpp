#include "ui/base_window.h"

#include "net/app_environment.h"
#include "platform/error.h"
#include "platform/scoped.h"
#include "platform/system.h"

namespace {

bool g_dpiRatioKnown = false;

bool RegisterWindowClass(const wchar_t* name, HINSTANCE instance, WNDPROC proc) {
  WNDCLASSEXW existing{sizeof(existing)};
  if (::GetClassInfoExW(instance, name, &existing)) return true;
  WNDCLASSEXW wc{sizeof(wc)};
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(102));
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = name;
  return ::RegisterClassExW(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

ui::Rect ToRect(const RECT& r) { return ui::Rect{r.left, r.top, r.right, r.bottom}; }

}  // namespace

ui::WindowSize IBaseWindow::ComputeSize() {
  ui::WindowSize size{double(designWidth_), double(designHeight_), 1.0};
  AppEnvironment* env = GetAppEnvironment();
  if (::SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea_, 0)) {
    double ratio = env ? env->dpiRatio : 1.0;
    if (!g_dpiRatioKnown) {
      ScopedWindowDc screen(nullptr);
      ratio = GetDpiRatio(screen.Get());
      if (env) env->dpiRatio = ratio;
      g_dpiRatioKnown = true;
    }
    size = ui::ComputeWindowSize(designWidth_, designHeight_, ToRect(workArea_), ratio);
  }
  if (env) env->scale = size.scale;
  return size;
}

IBaseWindow::IBaseWindow(const wchar_t* className, HWND owner, uint32_t designWidth, uint32_t designHeight)
    : designWidth_(designWidth), designHeight_(designHeight) {
  HINSTANCE instance =
      owner ? reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(owner, GWLP_HINSTANCE)) : GetModuleInstance();
  ui::WindowSize size = ComputeSize();
  if (!RegisterWindowClass(className, instance, &IBaseWindow::ClassWindowProc)) throw MorvelError("create window error");
  int32_t x = 0, y = 0;
  ui::CentredPosition(ToRect(workArea_), size, &x, &y);
  hwnd_ = ::CreateWindowExW(owner ? WS_EX_TOOLWINDOW : WS_EX_APPWINDOW, className, L"vxpicconv_win", WS_POPUP, x, y,
                            ui::RoundHalfUp(size.width), ui::RoundHalfUp(size.height), owner, nullptr, instance,
                            nullptr);
  if (!hwnd_) throw MorvelError("create window error");
  ::SetPropW(hwnd_, kWindowObjectProperty, this);
}

IBaseWindow::~IBaseWindow() {
  if (hwnd_ && ::IsWindow(hwnd_) && ::GetPropW(hwnd_, kWindowObjectProperty) == this)
    ::RemovePropW(hwnd_, kWindowObjectProperty);
}

bool IBaseWindow::Resize(uint32_t designWidth, uint32_t designHeight) {
  designWidth_ = designWidth;
  designHeight_ = designHeight;
  if (!hwnd_ || !::IsWindow(hwnd_)) return false;
  ui::WindowSize size = ComputeSize();
  bool sized = ::SetWindowPos(hwnd_, nullptr, 0, 0, ui::RoundHalfUp(size.width), ui::RoundHalfUp(size.height),
                              SWP_NOMOVE | SWP_NOZORDER) != 0;
  int32_t x = 0, y = 0;
  ui::CentredPosition(ToRect(workArea_), size, &x, &y);
  bool moved = ::SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER) != 0;
  return sized && moved;
}

LRESULT CALLBACK IBaseWindow::ClassWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = static_cast<IBaseWindow*>(::GetPropW(hwnd, kWindowObjectProperty));
  if (!self) return ::DefWindowProcW(hwnd, message, wParam, lParam);
  LRESULT result = self->WindowProc(message, wParam, lParam);
  if (message == WM_NCDESTROY) ::RemovePropW(hwnd, kWindowObjectProperty);  // properties must go before the window
  return result;
}
