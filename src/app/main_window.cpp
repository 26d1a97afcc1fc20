#include "app/main_window.h"

#include "app/messages.h"
#include "platform/error.h"
#include "platform/system.h"

MainWindow::MainWindow() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &MainWindow::WndProc;
  wc.hInstance = GetModuleInstance();
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = kMainWindowClass;
  wc.hIcon = ::LoadIconW(GetModuleInstance(), MAKEINTRESOURCEW(102));
  ::RegisterClassExW(&wc);
  hwnd_ = ::CreateWindowExW(0, kMainWindowClass, L"Vexra图片格式转换器", WS_POPUP | WS_CAPTION | WS_SYSMENU,
                            CW_USEDEFAULT, CW_USEDEFAULT, 600, 400, nullptr, nullptr, GetModuleInstance(), this);
  if (!hwnd_) throw MorvelError("Create main window failed");
}

MainWindow::~MainWindow() {
  if (hwnd_ && ::IsWindow(hwnd_)) ::DestroyWindow(hwnd_);
}

LRESULT CALLBACK MainWindow::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case kMsgBringToFront:
      if (::IsIconic(hwnd)) ::ShowWindow(hwnd, SW_RESTORE);
      ::SetForegroundWindow(hwnd);
      return 0;
    case WM_CLOSE:
      // Until the pages own leaving, closing the bare window ends the run.
      ::PostQuitMessage(0);
      return 0;
  }
  return ::DefWindowProcW(hwnd, msg, wp, lp);
}
