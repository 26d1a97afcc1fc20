#include "telemetry/sdk_entry_name.h"

namespace {

bool IsDeviceName(const std::wstring& name) {
  // Windows opens the device for "NUL" and "nul.txt" alike: only the part before the first dot counts,
  // with trailing blanks ignored.
  std::wstring stem = name.substr(0, name.find(L'.'));
  while (!stem.empty() && stem.back() == L' ') stem.pop_back();
  for (wchar_t& c : stem)
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  static const wchar_t* const kDevices[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
  for (const wchar_t* device : kDevices)
    if (stem == device) return true;
  if (stem.size() == 4 && (stem.compare(0, 3, L"COM") == 0 || stem.compare(0, 3, L"LPT") == 0))
    return stem[3] >= L'0' && stem[3] <= L'9';
  return false;
}

}  // namespace

bool IsPlainEntryName(const std::wstring& name) {
  if (name.empty() || name.size() > 255) return false;
  bool onlyDotsAndBlanks = true;
  for (wchar_t c : name) {
    if (c < 0x20 || c == 0x7F) return false;
    switch (c) {
      case L'\\': case L'/': case L':': case L'*': case L'?': case L'"': case L'<': case L'>': case L'|':
        return false;
      default:
        break;
    }
    if (c != L'.' && c != L' ') onlyDotsAndBlanks = false;
  }
  return !onlyDotsAndBlanks && !IsDeviceName(name);
}
