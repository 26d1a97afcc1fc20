#include "platform/text.h"

#include <cinttypes>
#include <cstdio>
#include <ctime>

namespace {

template <class S>
std::vector<S> SplitAnyImpl(const S& text, const S& separators) {
  std::vector<S> pieces;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find_first_of(separators, start);
    if (end == S::npos) end = text.size();
    if (end > start) pieces.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return pieces;
}

template <class S>
S TrimLeftImpl(const S& text, const S& set) {
  size_t first = text.find_first_not_of(set);
  return first == S::npos ? S() : text.substr(first);
}

}  // namespace

std::vector<std::string> SplitAny(const std::string& text, const std::string& separators) {
  return SplitAnyImpl(text, separators);
}
std::vector<std::wstring> SplitAny(const std::wstring& text, const std::wstring& separators) {
  return SplitAnyImpl(text, separators);
}

int64_t ParseInt64(const std::string& text) {
  long long value = 0;
  if (std::sscanf(text.c_str(), "%lld", &value) != 1) return 0;
  return value;
}

std::string FormatInt64(int64_t value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%lld", static_cast<long long>(value));
  return buffer;
}

std::string TrimLeft(const std::string& text, const std::string& set) { return TrimLeftImpl(text, set); }
std::wstring TrimLeft(const std::wstring& text, const std::wstring& set) { return TrimLeftImpl(text, set); }

std::wstring TrimRight(const std::wstring& text, const std::wstring& set) {
  size_t last = text.find_last_not_of(set);
  return last == std::wstring::npos ? std::wstring() : text.substr(0, last + 1);
}

int64_t FindText(const std::string& text, const std::string& part, size_t start) {
  if (part.empty() || start > text.size()) return -1;
  size_t pos = text.find(part, start);
  return pos == std::string::npos ? -1 : static_cast<int64_t>(pos);
}

int64_t FindText(const std::wstring& text, const std::wstring& part) {
  if (text.empty() || part.empty()) return -1;
  size_t pos = text.find(part);
  return pos == std::wstring::npos ? -1 : static_cast<int64_t>(pos);
}

std::string ToUpperAscii(const std::string& text) {
  std::string out = text;
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

std::wstring RemoveAll(const std::wstring& text, const std::wstring& part) {
  if (part.empty() || part.size() > text.size()) return text;
  std::wstring out = text;
  size_t pos = 0;
  while ((pos = out.find(part, pos)) != std::wstring::npos) out.erase(pos, part.size());
  return out;
}

std::string HttpStatusText(const std::string& statusLine) {
  if (statusLine.size() <= 11) return std::string();
  return statusLine.substr(9, 3);
}

std::wstring EnsureTrailingSeparator(const std::wstring& path) {
  if (path.empty() || path.back() == L'\\' || path.back() == L'/') return path;
  return path + L'\\';
}

std::wstring GetExtension(const std::wstring& path) {
  size_t dot = path.rfind(L'.');
  if (dot == std::wstring::npos) return std::wstring();
  size_t sep = path.find_last_of(L"\\/");
  if (sep != std::wstring::npos && sep > dot) return std::wstring();
  return path.substr(dot);
}

bool IsValidInstallPath(const std::wstring& path) {
  if (path.find(L"\\\\") != std::wstring::npos) return false;
  std::vector<std::wstring> pieces = SplitAny(path, L"\\");
  if (pieces.empty()) return false;
  const std::wstring& drive = pieces[0];
  if (drive.size() != 2) return false;
  bool letter = (drive[0] >= L'A' && drive[0] <= L'Z') || (drive[0] >= L'a' && drive[0] <= L'z');
  if (!letter || (drive[0] != L':' && drive[1] != L':')) return false;
  for (size_t i = 1; i < pieces.size(); ++i) {
    if (pieces[i].find_first_of(L"/:*?\"<>|") != std::wstring::npos) return false;
  }
  return true;
}

int64_t NowSeconds() { return static_cast<int64_t>(std::time(nullptr)); }
