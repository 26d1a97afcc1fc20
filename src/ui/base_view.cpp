#include "ui/base_view.h"

#include "platform/scoped.h"

IBaseView::IBaseView(HWND hwnd, IResourceMgr* resourceMgr) : hwnd_(hwnd), resourceMgr_(resourceMgr) {}

IBaseView::~IBaseView() {
  for (IBaseResource* r : resources_) delete r;
  resources_.clear();
}

void IBaseView::DrawResources(HDC dc) {
  for (IBaseResource* r : resources_) r->Draw(dc);
}

LRESULT IBaseView::PaintDirect(UINT message, WPARAM wParam, LPARAM lParam) {
  {
    ScopedWindowDc windowDc(hwnd_);
    RECT client{};
    ::GetClientRect(hwnd_, &client);
    ScopedMemDc memDc(::CreateCompatibleDC(windowDc.Get()));
    ScopedGdiObject bitmap(::CreateCompatibleBitmap(windowDc.Get(), client.right, client.bottom));
    if (memDc && bitmap) {
      HGDIOBJ old = ::SelectObject(memDc.Get(), bitmap.Get());
      DrawResources(memDc.Get());
      ::BitBlt(windowDc.Get(), 0, 0, client.right, client.bottom, memDc.Get(), 0, 0, SRCCOPY);
      ::SelectObject(memDc.Get(), old);
    }
  }
  // Default handling validates the update region; without it WM_PAINT would come back at once.
  return ::DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT IBaseView::PaintLayered() {
  PAINTSTRUCT ps{};
  HDC paintDc = ::BeginPaint(hwnd_, &ps);
  LONG_PTR ex = ::GetWindowLongPtrW(hwnd_, GWL_EXSTYLE);
  if (!(ex & WS_EX_LAYERED)) ::SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, ex | WS_EX_LAYERED);
  RECT wr{};
  ::GetWindowRect(hwnd_, &wr);
  LONG width = wr.right - wr.left, height = wr.bottom - wr.top;
  {
    ScopedMemDc memDc(::CreateCompatibleDC(paintDc));
    ::SetBkMode(memDc.Get(), TRANSPARENT);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = height;  // positive: bottom-up rows
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    bi.bmiHeader.biSizeImage = static_cast<DWORD>(((width * 32 + 31) / 8 / 4 * 4) * height);
    void* bits = nullptr;
    ScopedGdiObject dib(::CreateDIBSection(memDc.Get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (memDc && dib) {
      HGDIOBJ old = ::SelectObject(memDc.Get(), dib.Get());
      DrawResources(memDc.Get());
      POINT dst{wr.left, wr.top}, src{0, 0};
      SIZE size{width, height};
      BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
      ScopedWindowDc screen(nullptr);
      ::UpdateLayeredWindow(hwnd_, screen.Get(), &dst, &size, memDc.Get(), &src, 0, &blend, ULW_ALPHA);
      ::SelectObject(memDc.Get(), old);
    }
  }
  ::EndPaint(hwnd_, &ps);
  return 0;
}

LRESULT IBaseView::Show(HWND hwnd, bool topmost) {
  ::ShowWindow(hwnd, SW_SHOWNORMAL);
  ::SetWindowPos(hwnd, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  ::SetForegroundWindow(hwnd);
  ::SetFocus(hwnd);
  return 0;
}

LRESULT IBaseView::BringToFront() { return Show(hwnd_, true); }

int32_t IBaseView::HitTest(LPARAM lParam) const {
  std::vector<ui::HitEntry> list;
  list.reserve(resources_.size());
  for (const IBaseResource* r : resources_) list.push_back(ui::HitEntry{r->type, r->rect});
  return ui::HitTestWalk(list, static_cast<uint32_t>(lParam));
}

IBaseResource* IBaseView::FindById(int32_t id) const {
  for (IBaseResource* r : resources_)
    if (r->id == id) return r;
  return nullptr;
}

void IBaseView::InvalidateAll() { ::InvalidateRect(hwnd_, nullptr, TRUE); }

bool IBaseView::UpdateButtonStates(int32_t target, UINT message) {
  std::vector<int32_t> types, states;
  for (const IBaseResource* r : resources_) {
    types.push_back(r->type);
    states.push_back(r->state);
  }
  ui::ButtonEvent event = message == WM_MOUSEMOVE     ? ui::ButtonEvent::MouseMove
                          : message == WM_LBUTTONDOWN ? ui::ButtonEvent::ButtonDown
                          : message == kMsgResourceClick ? ui::ButtonEvent::Click
                                                         : ui::ButtonEvent::Other;
  bool changed = ui::UpdateButtonStatesOf(types, &states, target, event);
  for (size_t i = 0; i < resources_.size(); ++i) resources_[i]->state = states[i];
  return changed;
}

void IBaseView::StartWindowDrag() {
  ::ReleaseCapture();
  ::SendMessageW(hwnd_, WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

namespace {
bool IsDisabledButton(const IBaseResource* r) { return r->type == kTypeButton && r->state == kStateDisabled; }
}  // namespace

LRESULT IBaseView::OnMouseMove(Protocol protocol, WPARAM wParam, LPARAM lParam, const StateUpdater& update) {
  LRESULT result = ::DefWindowProcW(hwnd_, WM_MOUSEMOVE, wParam, lParam);
  if (resources_.empty()) return result;
  int32_t index = HitTest(lParam);
  if (index == hover_) return result;
  int32_t type = resources_[index]->type;
  bool resets = type == kTypeImage || type == kTypeIcon || type == kTypeText || type == kTypeSpacer ||
                (type == kTypeCheckbox && protocol != Protocol::Popup);
  bool changed = false;
  if (type == kTypeButton) {
    changed = update(index, WM_MOUSEMOVE);
  } else if (resets && hover_ != -1) {
    // Not a button: every button returns to rest. Progress bars and edit boxes keep the hover.
    changed = update(0, WM_MOUSEMOVE);
  }
  if (changed) InvalidateAll();
  hover_ = index;
  return result;
}

LRESULT IBaseView::OnButtonDown(Protocol protocol, WPARAM wParam, LPARAM lParam, const StateUpdater& update) {
  LRESULT result = ::DefWindowProcW(hwnd_, WM_LBUTTONDOWN, wParam, lParam);
  if (protocol == Protocol::MainPage)
    ::SetWindowPos(hwnd_, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  if (resources_.empty()) return result;
  int32_t index = HitTest(lParam);
  const IBaseResource* hit = resources_[index];
  if (hit->type == kTypeButton && !IsDisabledButton(hit)) {
    if (update(index, WM_LBUTTONDOWN)) InvalidateAll();
  } else if (protocol == Protocol::Popup) {
    ::ReleaseCapture();  // popups cannot be dragged
  } else if (hit->type != kTypeCheckbox) {
    StartWindowDrag();
  }
  return result;
}

LRESULT IBaseView::OnButtonUp(Protocol protocol, WPARAM wParam, LPARAM lParam) {
  LRESULT result = ::DefWindowProcW(hwnd_, WM_LBUTTONUP, wParam, lParam);
  if (resources_.empty()) return result;
  int32_t index = HitTest(lParam);
  const IBaseResource* hit = resources_[index];
  bool buttonsOnly = protocol == Protocol::Reminder || protocol == Protocol::Popup;
  bool posts = !IsDisabledButton(hit) && (buttonsOnly ? hit->type == kTypeButton : hit->type != kTypeIcon);
  if (posts) ::PostMessageW(hwnd_, kMsgResourceClick, static_cast<WPARAM>(index), lParam);
  return result;
}

void IBaseView::AfterClick(int32_t index, const StateUpdater& update) {
  if (update(index, kMsgResourceClick)) InvalidateAll();
}

bool RunModalPopup(HWND mainWindow, HWND popup, UINT answerMessage) {
  RECT main{}, pop{};
  ::GetWindowRect(mainWindow, &main);
  ::GetWindowRect(popup, &pop);
  LONG pw = pop.right - pop.left, ph = pop.bottom - pop.top;
  LONG x = main.left + ((main.right - main.left) - pw) / 2;
  LONG y = main.top + ((main.bottom - main.top) - ph) / 2;
  // Keep the popup inside the work area; when it had to shift, the main window moves with it so the
  // popup stays centred on it.
  RECT work{};
  if (::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) {
    LONG dx = 0, dy = 0;
    if (x < work.left) dx = work.left - x;
    else if (x + pw > work.right) dx = work.right - (x + pw);
    if (y + ph > work.bottom) dy = work.bottom - (y + ph);
    if (dx || dy) {
      x += dx;
      y += dy;
      ::SetWindowPos(mainWindow, nullptr, main.left + dx, main.top + dy, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  ::SetWindowPos(popup, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ::ShowWindow(popup, SW_SHOW);
  ::UpdateWindow(popup);

  bool answered = false;
  MSG msg{};
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.hwnd == popup) {
      if (msg.message == answerMessage) answered = true;
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    } else if (msg.message == WM_PAINT) {
      // Input for other windows is dropped, which makes them inert; their paints still run, otherwise
      // an uncovered main window would show garbage and its pending WM_PAINT would spin this loop.
      ::DispatchMessageW(&msg);
    }
  }
  return answered;
}
