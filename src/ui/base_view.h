// The content of a window: an ordered list of widgets that it paints, hit-tests and routes mouse input to.
// A view has no native window of its own; it is bound to the window that shows it.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "ui/resource.h"

class IResourceMgr;

constexpr UINT kMsgResourceClick = WM_APP + 107;  // wParam: index in the view's list; lParam: as WM_LBUTTONUP

class IBaseView {
 public:
  // Which input protocol a view follows. Page: hover, press and drag, clicks posted for everything but
  // icons and disabled buttons; MainPage: the same, and a press drops the window's topmost state (the
  // four pages of the main window); Reminder: like Page, but clicks are posted for buttons only; Popup:
  // clicks for buttons only, and no drag.
  enum class Protocol { Page, MainPage, Reminder, Popup };

  IBaseView(HWND hwnd, IResourceMgr* resourceMgr);
  virtual ~IBaseView();
  IBaseView(const IBaseView&) = delete;
  IBaseView& operator=(const IBaseView&) = delete;

  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) = 0;
  virtual LRESULT PaintLayered();
  virtual LRESULT PaintDirect(UINT message, WPARAM wParam, LPARAM lParam);
  virtual LRESULT Show(HWND hwnd, bool topmost);

  // Index of the resource under the point of `lParam`; 0 (the root layout) for nothing.
  int32_t HitTest(LPARAM lParam) const;
  IBaseResource* FindById(int32_t id) const;
  void InvalidateAll();
  // Draws every resource in list order into `dc`.
  void DrawResources(HDC dc);

  // The popups' and the reminder page's state updater.
  bool UpdateButtonStates(int32_t target, UINT message);

  const std::vector<IBaseResource*>& Resources() const { return resources_; }
  int32_t HoverIndex() const { return hover_; }

 protected:
  using StateUpdater = std::function<bool(int32_t target, UINT message)>;

  // The shared input handlers of the pages and popups; each returns the default handling's result.
  LRESULT OnMouseMove(Protocol protocol, WPARAM wParam, LPARAM lParam, const StateUpdater& update);
  LRESULT OnButtonDown(Protocol protocol, WPARAM wParam, LPARAM lParam, const StateUpdater& update);
  LRESULT OnButtonUp(Protocol protocol, WPARAM wParam, LPARAM lParam);
  // After a page's click handler ran.
  void AfterClick(int32_t index, const StateUpdater& update);
  // WM_APP+255: normal, topmost, foreground, focused.
  LRESULT BringToFront();

  // Lets the system drag the window with the mouse (a press on the caption, as far as it knows).
  virtual void StartWindowDrag();

  void Append(IBaseResource* resource) { resources_.push_back(resource); }

  HWND hwnd_;
  IResourceMgr* resourceMgr_;
  std::vector<IBaseResource*> resources_;
  int32_t hover_ = -1;
};

// The modal loop of a page's question popup: centres the popup on the main window inside the work area,
// shows it and dispatches only the popup's messages until the quit message. True when `answerMessage`
// reached the popup meanwhile.
bool RunModalPopup(HWND mainWindow, HWND popup, UINT answerMessage);
