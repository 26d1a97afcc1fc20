// Helpers of the UI tests: a GDI+ session, a 32-bit drawing surface with pixel access, pictures made in
// memory, a logger that records events, and a message pump.
#pragma once
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <ostream>

#include "../support/null_logger.h"
#include "ui/geometry.h"

namespace ui {
inline void PrintTo(const Rect& r, std::ostream* os) {
  *os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}
}  // namespace ui

class GdiplusScope {
 public:
  GdiplusScope() {
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&token_, &input, nullptr);
  }
  ~GdiplusScope() { Gdiplus::GdiplusShutdown(token_); }

 private:
  ULONG_PTR token_ = 0;
};

// A top-down 32-bit premultiplied surface that starts fully transparent, like the popups' bitmap.
class Surface {
 public:
  Surface(int width, int height) : width_(width), height_(height) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    dc_ = ::CreateCompatibleDC(nullptr);
    bitmap_ = ::CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
    old_ = ::SelectObject(dc_, bitmap_);
  }
  ~Surface() {
    ::SelectObject(dc_, old_);
    ::DeleteObject(bitmap_);
    ::DeleteDC(dc_);
  }
  HDC Dc() const { return dc_; }
  uint32_t At(int x, int y) const {
    ::GdiFlush();
    return bits_[y * width_ + x];
  }
  static uint32_t Alpha(uint32_t p) { return p >> 24; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  // Saves the surface as PNG (for looking at a failing case).
  bool SavePng(const std::wstring& path) const;

 private:
  int width_, height_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  uint32_t* bits_ = nullptr;
};

// An opaque picture of one colour.
std::unique_ptr<Gdiplus::Bitmap> MakePicture(int width, int height, Gdiplus::ARGB color);

struct RecordedEvent {
  std::string name;
  std::string property;
  std::string value;
  bool operator==(const RecordedEvent& o) const { return name == o.name && property == o.property && value == o.value; }
};

inline void PrintTo(const RecordedEvent& e, std::ostream* os) {
  *os << e.name;
  if (!e.property.empty()) *os << "{" << e.property << "=" << e.value << "}";
}

// Records TrackEvent with the text properties staged since the last ClearProperties.
class RecordingLogger : public NullLogger {
 public:
  std::vector<RecordedEvent> events;

  bool TrackEvent(const std::string& name) override {
    RecordedEvent e{name, "", ""};
    if (!staged_.empty()) {
      e.property = staged_.front().first;
      e.value = staged_.front().second;
    }
    extraProperties += staged_.size() > 1 ? 1 : 0;
    events.push_back(e);
    return true;
  }
  void ClearProperties() override { staged_.clear(); }
  void SetStringProperty(const std::string& n, const std::string& v) override { staged_.emplace_back(n, v); }
  void SetIntProperty(const std::string& n, int32_t) override { staged_.emplace_back(n, "<int>"); }
  void SetBoolProperty(const std::string& n, bool) override { staged_.emplace_back(n, "<bool>"); }
  int extraProperties = 0;  // events that carried more than one property

 private:
  std::vector<std::pair<std::string, std::string>> staged_;
};

// Bytes of an RCDATA resource of the test program.
std::string ResourceBytes(int id);

// Dispatches this thread's messages for `ms` milliseconds.
void PumpFor(DWORD ms);
