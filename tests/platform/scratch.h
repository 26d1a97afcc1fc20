// A fresh scratch folder below the Wine prefix's temp folder, removed with everything in it.
#pragma once
#include <windows.h>

#include <string>

#include "platform/files.h"
#include "platform/text.h"

class ScratchFolder {
 public:
  ScratchFolder() {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    static int counter = 0;
    path_ = EnsureTrailingSeparator(temp) + L"vexra-test-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
            std::to_wstring(++counter) + L"\\";
    CreateFolders(path_);
  }
  ~ScratchFolder() { DeleteTree(path_); }
  const std::wstring& Path() const { return path_; }
  std::wstring operator/(const std::wstring& name) const { return path_ + name; }

 private:
  std::wstring path_;
};

inline void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE h = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD put = 0;
  ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
  ::CloseHandle(h);
}
