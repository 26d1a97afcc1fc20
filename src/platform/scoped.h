// Owners of Windows handles: every handle the installer opens is closed by one of these.
#pragma once
#include <windows.h>

#include <utility>

template <class Traits>
class ScopedResource {
 public:
  using Handle = typename Traits::Handle;
  ScopedResource() = default;
  explicit ScopedResource(Handle h) : h_(h) {}
  ~ScopedResource() { Reset(); }
  ScopedResource(const ScopedResource&) = delete;
  ScopedResource& operator=(const ScopedResource&) = delete;
  ScopedResource(ScopedResource&& o) noexcept : h_(o.Release()) {}
  ScopedResource& operator=(ScopedResource&& o) noexcept {
    if (this != &o) Reset(o.Release());
    return *this;
  }
  Handle Get() const { return h_; }
  bool IsValid() const { return Traits::IsValid(h_); }
  explicit operator bool() const { return IsValid(); }
  Handle Release() { return std::exchange(h_, Traits::Invalid()); }
  void Reset(Handle h = Traits::Invalid()) {
    if (Traits::IsValid(h_)) Traits::Close(h_);
    h_ = h;
  }
  Handle* Receive() {
    Reset();
    return &h_;
  }

 private:
  Handle h_ = Traits::Invalid();
};

struct HandleTraits {  // kernel handles; both 0 and INVALID_HANDLE_VALUE mean none
  using Handle = HANDLE;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { ::CloseHandle(h); }
};
struct RegKeyTraits {
  using Handle = HKEY;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::RegCloseKey(h); }
};
struct FindTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Handle h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
  static void Close(Handle h) { ::FindClose(h); }
};
struct FindVolumeTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Handle h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
  static void Close(Handle h) { ::FindVolumeClose(h); }
};
struct ModuleTraits {
  using Handle = HMODULE;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::FreeLibrary(h); }
};
struct GdiTraits {
  using Handle = HGDIOBJ;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::DeleteObject(h); }
};
struct DcTraits {  // memory device contexts (CreateCompatibleDC)
  using Handle = HDC;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::DeleteDC(h); }
};

using ScopedHandle = ScopedResource<HandleTraits>;
using ScopedRegKey = ScopedResource<RegKeyTraits>;
using ScopedFind = ScopedResource<FindTraits>;
using ScopedFindVolume = ScopedResource<FindVolumeTraits>;
using ScopedModule = ScopedResource<ModuleTraits>;
using ScopedGdiObject = ScopedResource<GdiTraits>;
using ScopedMemDc = ScopedResource<DcTraits>;

// A window DC obtained with GetDC, released with ReleaseDC.
class ScopedWindowDc {
 public:
  explicit ScopedWindowDc(HWND hwnd) : hwnd_(hwnd), dc_(::GetDC(hwnd)) {}
  ~ScopedWindowDc() {
    if (dc_) ::ReleaseDC(hwnd_, dc_);
  }
  ScopedWindowDc(const ScopedWindowDc&) = delete;
  ScopedWindowDc& operator=(const ScopedWindowDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
};
