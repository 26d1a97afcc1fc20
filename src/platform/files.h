// Paths, folders, disk space and the installer's two folders. Nothing here raises.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/scoped.h"

#undef GetFreeSpace  // a 16-bit era macro in winbase.h

std::wstring GetFolderPart(const std::wstring& path);    // full path cut after its last separator
std::wstring GetFileNamePart(const std::wstring& path);  // file-name part of the full path
bool FileExists(const std::wstring& path);
bool FolderExists(const std::wstring& path);
bool CreateFolders(const std::wstring& path);
bool DeleteTree(const std::wstring& path);
int64_t GetFileSize(const std::wstring& path);
int64_t GetFreeSpace(const std::wstring& path);  // 0 unless the drive is fixed or removable

// Entries of folder\pattern in the system's order, never "." or "..".
class FolderIterator {
 public:
  FolderIterator(const std::wstring& folder, const std::wstring& pattern);
  bool Next();  // advances to the next entry; false when there is none
  const std::wstring& Name() const { return name_; }
  std::wstring FullPath() const { return folder_ + name_; }
  bool IsFolder() const { return isFolder_; }

 private:
  std::wstring folder_, name_;
  bool isFolder_ = false, first_ = true;
  WIN32_FIND_DATAW data_{};
  ScopedFind find_;
};

// The user's roaming application data + "VexraPkg\"; created when missing; empty while the system gives
// no folder (the next call tries again).
std::wstring GetAppDataFolder();

// The per-run folder ("MorvelPkg_<unix time>\" on the fixed or removable drive with the most free
// space), ending in a backslash, or empty when it could not be made. Made on the first call.
const std::wstring& GetRunFolder();
// Removes the per-run folder, unless another instance made it first; called once at process exit.
void RemoveRunFolder();

// 32 lower-case hex digits of the file's MD5; empty for a missing, empty or >= 2 GiB file.
std::string Md5HexOfFile(const std::wstring& path);
