#include "ui_support.h"

namespace {
bool PngEncoder(CLSID* clsid) {
  UINT count = 0, size = 0;
  Gdiplus::GetImageEncodersSize(&count, &size);
  if (!size) return false;
  std::vector<unsigned char> buffer(size);
  auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
  Gdiplus::GetImageEncoders(count, size, codecs);
  for (UINT i = 0; i < count; ++i)
    if (std::wstring(codecs[i].MimeType) == L"image/png") {
      *clsid = codecs[i].Clsid;
      return true;
    }
  return false;
}
}  // namespace

bool Surface::SavePng(const std::wstring& path) const {
  ::GdiFlush();
  Gdiplus::Bitmap copy(width_, height_, width_ * 4, PixelFormat32bppPARGB, reinterpret_cast<BYTE*>(bits_));
  CLSID png;
  return PngEncoder(&png) && copy.Save(path.c_str(), &png, nullptr) == Gdiplus::Ok;
}

std::unique_ptr<Gdiplus::Bitmap> MakePicture(int width, int height, Gdiplus::ARGB color) {
  auto bitmap = std::make_unique<Gdiplus::Bitmap>(width, height, PixelFormat32bppARGB);
  Gdiplus::Graphics g(bitmap.get());
  g.Clear(Gdiplus::Color(color));
  return bitmap;
}

std::string ResourceBytes(int id) {
  HMODULE self = ::GetModuleHandleW(nullptr);
  HRSRC info = ::FindResourceW(self, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10));  // RT_RCDATA
  if (!info) return {};
  HGLOBAL data = ::LoadResource(self, info);
  return std::string(static_cast<const char*>(::LockResource(data)), ::SizeofResource(self, info));
}

void PumpFor(DWORD ms) {
  DWORD end = ::GetTickCount() + ms;
  while (static_cast<int32_t>(end - ::GetTickCount()) > 0) {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    ::Sleep(5);
  }
}
