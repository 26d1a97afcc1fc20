#include "platform/file_stream.h"

#include "platform/error.h"

namespace {

bool MoveTo(HANDLE h, int64_t offset, DWORD origin, int64_t* result) {
  LARGE_INTEGER distance, now;
  distance.QuadPart = offset;
  if (!::SetFilePointerEx(h, distance, &now, origin)) return false;
  if (result) *result = now.QuadPart;
  return true;
}

}  // namespace

int64_t FileTimeToUnixSeconds(const FILETIME& ft) {
  ULARGE_INTEGER v;
  v.LowPart = ft.dwLowDateTime;
  v.HighPart = ft.dwHighDateTime;
  return (static_cast<int64_t>(v.QuadPart) - 116444736000000000LL) / 10000000LL;
}

CFileStream::CFileStream(const std::wstring& path, unsigned mode) {
  if (mode == kModeCreate) {
    if (path.empty()) throw MorvelError("filename can't be empty");
    handle_ = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle_ == INVALID_HANDLE_VALUE) throw MorvelError("MorvelFileCreate failed");
    return;
  }
  static const DWORD kAccess[3] = {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE};
  static const DWORD kShare[5] = {0, 0, FILE_SHARE_READ, FILE_SHARE_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE};
  unsigned access = mode & 3u, share = (mode >> 4) & 15u;
  if (access > 2 || share > 4) return;
  handle_ = ::CreateFileW(path.c_str(), kAccess[access], kShare[share], nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle_ == INVALID_HANDLE_VALUE) throw MorvelError("MorvelFileOpen failed");
}

CFileStream::~CFileStream() {
  if (IsOpen()) ::CloseHandle(handle_);
  handle_ = INVALID_HANDLE_VALUE;
}

int64_t CFileStream::Tell() {
  int64_t now = -1;
  return MoveTo(handle_, 0, FILE_CURRENT, &now) ? now : -1;
}

int64_t CFileStream::SeekTo(int64_t position) {
  int64_t now = -1;
  return MoveTo(handle_, position, FILE_BEGIN, &now) ? now : -1;
}

int64_t CFileStream::GetSize() {
  int64_t here = 0, size = -1;
  if (!MoveTo(handle_, 0, FILE_CURRENT, &here)) return -1;
  MoveTo(handle_, 0, FILE_END, &size);
  MoveTo(handle_, here, FILE_BEGIN, nullptr);
  return size;
}

bool CFileStream::SetSize(int64_t length) {
  if (!MoveTo(handle_, length, FILE_BEGIN, nullptr)) return false;
  bool ok = ::SetEndOfFile(handle_) != FALSE;
  MoveTo(handle_, 0, FILE_BEGIN, nullptr);
  eof_ = false;
  return ok;
}

int CFileStream::Read(void* buffer, int count) {
  if (buffer == nullptr || count <= 0) return 0;
  DWORD got = 0;
  if (!::ReadFile(handle_, buffer, static_cast<DWORD>(count), &got, nullptr)) {
    if (::GetLastError() == ERROR_HANDLE_EOF) {
      eof_ = true;
      return -1;
    }
    return 0;
  }
  if (got == 0) {
    eof_ = true;
    return -1;
  }
  return static_cast<int>(got);
}

int CFileStream::Write(const void* buffer, int count) {
  eof_ = false;
  if (buffer == nullptr || count <= 0) return 0;
  DWORD put = 0;
  if (!::WriteFile(handle_, buffer, static_cast<DWORD>(count), &put, nullptr)) return -1;
  return static_cast<int>(put);
}

int64_t CFileStream::Seek(int64_t offset, int origin) {
  eof_ = false;
  static const DWORD kOrigins[3] = {FILE_BEGIN, FILE_CURRENT, FILE_END};
  if (origin < 0 || origin > 2) return -1;
  int64_t now = -1;
  return MoveTo(handle_, offset, kOrigins[origin], &now) ? now : -1;
}

bool CFileStream::GetFileTimes(int64_t* creation, int64_t* lastAccess, int64_t* lastWrite) {
  FILETIME c, a, w;
  if (!::GetFileTime(handle_, &c, &a, &w)) return false;
  if (creation) *creation = FileTimeToUnixSeconds(c);
  if (lastAccess) *lastAccess = FileTimeToUnixSeconds(a);
  if (lastWrite) *lastWrite = FileTimeToUnixSeconds(w);
  return true;
}
