// A borderless top-level window sized from a design size and the screen's DPI, centred in the work area.
// The native window finds its object through the window property "WndClassPtr".
#pragma once
#include <windows.h>

#include <cstdint>

#include "ui/geometry.h"

class IBaseWindow {
 public:
  // Registers the class, sizes and creates the (hidden) window; throws "create window error".
  IBaseWindow(const wchar_t* className, HWND owner, uint32_t designWidth, uint32_t designHeight);
  // Leaves the native window alone but unhooks it, so that a late message can never reach a dead object.
  virtual ~IBaseWindow();
  IBaseWindow(const IBaseWindow&) = delete;
  IBaseWindow& operator=(const IBaseWindow&) = delete;

  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) = 0;

  // New design size: resized and centred again; false without a valid window or when a move failed.
  bool Resize(uint32_t designWidth, uint32_t designHeight);
  HWND Hwnd() const { return hwnd_; }

 protected:
  HWND hwnd_ = nullptr;
  RECT workArea_{};
  uint32_t designWidth_;
  uint32_t designHeight_;

 private:
  static LRESULT CALLBACK ClassWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  ui::WindowSize ComputeSize();
};

// The property name under which a window's object is stored.
constexpr const wchar_t* kWindowObjectProperty = L"WndClassPtr";
