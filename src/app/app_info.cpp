#include "app/app_info.h"

#include <windows.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "platform/files.h"
#include "platform/scoped.h"

bool CAppInfo::Refresh() {
  try {
    exePath_.clear();
    version_.clear();
    std::wstring candidate;
    ScopedRegKey key;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ, key.Receive()) == ERROR_SUCCESS) {
      // 1024 characters zero-filled, 1023 bytes offered: at most 511 characters arrive, a longer value
      // is not read at all.
      std::vector<wchar_t> buffer(1024, L'\0');
      DWORD size = 1023;
      ::RegQueryValueExW(key.Get(), L"DisplayIcon", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()),
                         &size);
      buffer[1023] = L'\0';
      candidate = buffer.data();
    }
    if (!candidate.empty() && !FileExists(candidate)) candidate.clear();
    exePath_ = FileExists(candidate) ? candidate : std::wstring();
    if (!exePath_.empty()) version_ = GetProductVersion(exePath_);
    return true;
  } catch (...) {
    return false;
  }
}

std::wstring CAppInfo::GetProductVersion(const std::wstring& file) {
  std::wstring path = file;
  if (path.empty()) {
    wchar_t self[1024] = {};
    ::GetModuleFileNameW(nullptr, self, 1023);
    path = self;
  }
  DWORD ignored = 0;
  DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
  if (size == 0) return std::wstring();
  std::vector<BYTE> info(size);
  if (!::GetFileVersionInfoW(path.c_str(), 0, size, info.data())) return std::wstring();
  struct Translation {
    WORD language, codePage;
  }* translation = nullptr;
  UINT length = 0;
  if (!::VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                        &length) ||
      translation == nullptr || length < sizeof(Translation))
    return std::wstring();
  wchar_t block[128];
  std::swprintf(block, 128, L"\\StringFileInfo\\%04x%04x\\%ls", translation->language, translation->codePage,
                L"ProductVersion");
  wchar_t* text = nullptr;
  if (!::VerQueryValueW(info.data(), block, reinterpret_cast<void**>(&text), &length) || text == nullptr)
    return std::wstring();
  return std::wstring(text, wcsnlen(text, length));
}

IAppInfo* GetAppInfo() {
  static std::unique_ptr<CAppInfo> info = [] {
    try {
      auto created = std::make_unique<CAppInfo>();
      created->Refresh();
      return created;
    } catch (...) {
      return std::unique_ptr<CAppInfo>();
    }
  }();
  return info.get();
}
