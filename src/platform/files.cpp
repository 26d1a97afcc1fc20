#include "platform/files.h"

#include <shlobj.h>

#include <cstdio>
#include <vector>

#include "platform/encoding.h"
#include "platform/md5.h"
#include "platform/text.h"

std::wstring GetFolderPart(const std::wstring& path) {
  wchar_t full[MAX_PATH * 4];
  wchar_t* filePart = nullptr;
  DWORD n = ::GetFullPathNameW(path.c_str(), ARRAYSIZE(full), full, &filePart);
  if (n == 0 || n >= ARRAYSIZE(full)) return std::wstring();
  std::wstring s(full, n);
  size_t sep = s.find_last_of(L"\\/");
  if (sep == std::wstring::npos) return std::wstring();
  return s.substr(0, sep + 1);
}

std::wstring GetFileNamePart(const std::wstring& path) {
  wchar_t full[MAX_PATH * 4];
  wchar_t* filePart = nullptr;
  DWORD n = ::GetFullPathNameW(path.c_str(), ARRAYSIZE(full), full, &filePart);
  if (n == 0 || n >= ARRAYSIZE(full) || filePart == nullptr) return std::wstring();
  return filePart;
}

bool FileExists(const std::wstring& path) {
  if (path.empty()) return false;
  DWORD a = ::GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::wstring& path) {
  if (path.empty()) return false;
  std::wstring probe = EnsureTrailingSeparator(path) + L".";
  DWORD a = ::GetFileAttributesW(probe.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool CreateFolders(const std::wstring& path) {
  std::vector<std::wstring> pieces = SplitAny(path, L"\\/");
  std::wstring prefix;
  for (size_t i = 0; i < pieces.size(); ++i) {
    prefix += pieces[i] + L"/";
    if (i == 0) continue;  // the drive
    if (!::CreateDirectoryW(prefix.c_str(), nullptr)) {
      DWORD e = ::GetLastError();
      if (e == ERROR_PATH_NOT_FOUND || e == ERROR_INVALID_NAME) break;
    }
  }
  return FolderExists(path);
}

FolderIterator::FolderIterator(const std::wstring& folder, const std::wstring& pattern)
    : folder_(EnsureTrailingSeparator(folder)) {
  if (folder.empty()) return;
  find_.Reset(::FindFirstFileW((folder_ + pattern).c_str(), &data_));
}

bool FolderIterator::Next() {
  while (find_) {
    if (!first_ && !::FindNextFileW(find_.Get(), &data_)) {
      find_.Reset();
      return false;
    }
    first_ = false;
    std::wstring n = data_.cFileName;
    if (n == L"." || n == L"..") continue;
    name_ = n;
    isFolder_ = (data_.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return true;
  }
  return false;
}

bool DeleteTree(const std::wstring& path) {
  if (path.empty()) return false;
  std::wstring folder = EnsureTrailingSeparator(path);
  WIN32_FIND_DATAW probe;
  ScopedFind listing(::FindFirstFileW((folder + L"*").c_str(), &probe));
  if (listing) {
    listing.Reset();
    FolderIterator it(folder, L"*");
    while (it.Next()) {
      if (it.IsFolder()) {
        DeleteTree(it.FullPath());
      } else {
        ::SetFileAttributesW(it.FullPath().c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(it.FullPath().c_str());
      }
    }
    return ::RemoveDirectoryW(path.c_str()) != FALSE;
  }
  if (FolderExists(path)) return ::RemoveDirectoryW(path.c_str()) != FALSE;
  if (FileExists(path)) ::DeleteFileW(path.c_str());
  return true;
}

int64_t GetFileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA d;
  if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &d)) return 0;
  return (static_cast<int64_t>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
}

int64_t GetFreeSpace(const std::wstring& path) {
  size_t sep = path.find(L'\\');
  std::wstring drive = sep == std::wstring::npos ? path : path.substr(0, sep);
  // A path without a drive part (a network path) would otherwise ask about the current drive.
  if (drive.empty()) return 0;
  drive += L"\\";
  UINT type = ::GetDriveTypeW(drive.c_str());
  if (type != DRIVE_FIXED && type != DRIVE_REMOVABLE) return 0;
  ULARGE_INTEGER free{}, total{}, totalFree{};
  if (!::GetDiskFreeSpaceExW(drive.c_str(), &free, &total, &totalFree)) return 0;
  return static_cast<int64_t>(free.QuadPart);
}

std::wstring GetAppDataFolder() {
  static std::wstring folder;
  if (folder.empty()) {
    wchar_t buffer[MAX_PATH] = {};
    if (!::SHGetSpecialFolderPathW(nullptr, buffer, CSIDL_APPDATA, FALSE) || buffer[0] == 0) return folder;
    folder = EnsureTrailingSeparator(buffer) + L"VexraPkg\\";
  }
  if (!FolderExists(folder)) CreateFolders(folder);
  return folder;
}

namespace {

bool g_ownsRunFolder = false;
bool g_runFolderMade = false;

std::vector<std::wstring> VolumeMountPaths() {
  std::vector<std::wstring> paths;
  wchar_t volume[MAX_PATH];
  ScopedFindVolume find(::FindFirstVolumeW(volume, ARRAYSIZE(volume)));
  if (!find) return paths;
  do {
    std::wstring v = volume;
    if (v.compare(0, 4, L"\\\\?\\") != 0 || v.back() != L'\\') continue;
    std::vector<wchar_t> names(MAX_PATH + 1);
    DWORD needed = 0;
    while (!::GetVolumePathNamesForVolumeNameW(v.c_str(), names.data(), static_cast<DWORD>(names.size()),
                                               &needed)) {
      if (::GetLastError() != ERROR_MORE_DATA) {
        names.assign(1, L'\0');
        break;
      }
      names.assign(needed + 1, L'\0');
    }
    for (const wchar_t* p = names.data(); *p; p += wcslen(p) + 1) paths.push_back(p);
  } while (::FindNextVolumeW(find.Get(), volume, ARRAYSIZE(volume)));
  return paths;
}

std::wstring MakeRunFolder() {
  std::wstring root;
  int64_t best = 0;
  for (const std::wstring& mount : VolumeMountPaths()) {
    int64_t space = GetFreeSpace(mount);
    if (space <= best) continue;
    std::wstring probe = mount + L"MorvelPkg";
    if (CreateFolders(probe)) {
      root = mount;
      best = space;
    }
    DeleteTree(probe);
  }
  if (root.empty()) root = GetAppDataFolder();
  if (root.empty()) {
    wchar_t windows[MAX_PATH] = {};
    if (SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_WINDOWS, nullptr, 0, windows))) {
      std::vector<std::wstring> pieces = SplitAny(std::wstring(windows), L"\\");
      if (!pieces.empty()) root = pieces[0] + L"\\";
    }
  }
  std::wstring folder = EnsureTrailingSeparator(root) + L"MorvelPkg_" + Utf8ToWide(FormatInt64(NowSeconds()));
  // Another instance started in the same second already made this folder; it stays that one's to remove.
  g_ownsRunFolder = !FolderExists(folder);
  if (!CreateFolders(folder)) return std::wstring();
  return EnsureTrailingSeparator(folder);
}

}  // namespace

const std::wstring& GetRunFolder() {
  static const std::wstring folder = MakeRunFolder();
  g_runFolderMade = true;
  return folder;
}

void RemoveRunFolder() {
  if (g_runFolderMade && g_ownsRunFolder && !GetRunFolder().empty()) DeleteTree(GetRunFolder());
}

std::string Md5HexOfFile(const std::wstring& path) {
  FILE* f = _wfopen(path.c_str(), L"rb");
  if (!f) return std::string();
  std::string hex;
  if (std::fseek(f, 0, SEEK_END) == 0) {
    long size = std::ftell(f);  // a 32-bit position: files of 2 GiB or more give no digest
    if (size > 0 && std::fseek(f, 0, SEEK_SET) == 0) {
      Md5 md5;
      std::vector<char> block(4096);
      size_t got;
      while ((got = std::fread(block.data(), 1, block.size(), f)) > 0) md5.Update(block.data(), got);
      hex = md5.FinishHex();
    }
  }
  std::fclose(f);
  return hex;
}
