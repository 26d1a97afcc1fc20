#include "sdk_log.h"

#include <cstdio>

namespace yelklog {
namespace {

CRITICAL_SECTION* AppendLock() {
  static CRITICAL_SECTION* lock = [] {
    auto* cs = new CRITICAL_SECTION;  // never destroyed: SDK threads may still log during exit
    ::InitializeCriticalSection(cs);
    return cs;
  }();
  return lock;
}

// Length of the UTF-8 sequence starting at p (1 to 4), or 0 when it is not a valid one.
size_t Utf8Length(const unsigned char* p, size_t left) {
  unsigned char c = p[0];
  size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
  if (n == 0 || n > left) return 0;
  for (size_t i = 1; i < n; ++i)
    if ((p[i] & 0xC0) != 0x80) return 0;
  if (n == 2 && c < 0xC2) return 0;                     // overlong
  if (n == 3 && c == 0xE0 && p[1] < 0xA0) return 0;     // overlong
  if (n == 3 && c == 0xED && p[1] >= 0xA0) return 0;    // surrogate halves
  if (n == 4 && (c > 0xF4 || (c == 0xF0 && p[1] < 0x90) || (c == 0xF4 && p[1] >= 0x90))) return 0;
  return n;
}

}  // namespace

std::string Quote(const std::string& text) {
  std::string out = "\"";
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  size_t i = 0;
  while (i < text.size()) {
    unsigned char c = p[i];
    char esc[8];
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
      ++i;
    } else if (c < 0x20) {
      std::snprintf(esc, sizeof esc, "\\u%04x", c);
      out += esc;
      ++i;
    } else if (size_t n = Utf8Length(p + i, text.size() - i)) {
      out.append(text, i, n);
      i += n;
    } else {
      std::snprintf(esc, sizeof esc, "\\u%04x", c);
      out += esc;
      ++i;
    }
  }
  return out + "\"";
}

std::string Hex(const std::string& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

void Line::Key(const char* key) {
  if (body_.size() > 1) body_ += ',';
  body_ += Quote(key);
  body_ += ':';
}

Line& Line::Int(const char* key, long long value) {
  Key(key);
  body_ += std::to_string(value);
  return *this;
}

Line& Line::Text(const char* key, const std::string& value) {
  Key(key);
  body_ += Quote(value);
  return *this;
}

Line& Line::Raw(const char* key, const std::string& json) {
  Key(key);
  body_ += json;
  return *this;
}

std::wstring FolderOf(const void* address) {
  HMODULE module = nullptr;
  ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       static_cast<LPCWSTR>(address), &module);
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(module, path, MAX_PATH);
  std::wstring folder = path;
  size_t slash = folder.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : folder.substr(0, slash + 1);
}

void Append(const std::wstring& folder, const wchar_t* name, const std::string& line) {
  ::EnterCriticalSection(AppendLock());
  std::wstring path = folder + name;
  HANDLE file = ::CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    DWORD put = 0;
    ::WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &put, nullptr);
    ::FlushFileBuffers(file);
    ::CloseHandle(file);
  }
  ::LeaveCriticalSection(AppendLock());
}

std::string Env(const wchar_t* name) {
  wchar_t buffer[1024] = {};
  DWORD n = ::GetEnvironmentVariableW(name, buffer, 1024);
  if (n == 0 || n >= 1024) return std::string();
  char utf8[4096] = {};
  int m = ::WideCharToMultiByte(CP_UTF8, 0, buffer, static_cast<int>(n), utf8, sizeof utf8, nullptr, nullptr);
  return std::string(utf8, m > 0 ? m : 0);
}

}  // namespace yelklog
