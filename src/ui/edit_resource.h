// The install-folder box: a native single-line edit control, the only widget with a window of its own.
#pragma once
#include "platform/scoped.h"
#include "ui/resource.h"

constexpr int32_t kEditResourceId = 5;  // also the control id the page's WM_COMMAND sees

class CEditResource : public CImageResource {
 public:
  // Creates the control as a child of `parent`; throws "create widget error".
  CEditResource(HWND parent, const StyleSet* styles);
  ~CEditResource() override;
  bool Draw(HDC dc) override;
  bool SetRect(int32_t left, int32_t top, int32_t right, int32_t bottom) override;
  HWND Control() const { return control_; }

 private:
  static LRESULT CALLBACK ControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  std::wstring initialText_ = L"C:/";
  HWND control_ = nullptr;
  ScopedGdiObject font_;
};
