#include "download/url_rules.h"

#include <cwctype>

#include "platform/text.h"

UrlSplit SplitUrl(const std::string& url, ParsedUrl* out) {
  std::vector<std::string> pieces = SplitAny(url, "/");
  if (pieces.size() < 3) return UrlSplit::kInvalidUrl;
  std::vector<std::string> hostPort = SplitAny(pieces[1], ":");
  ParsedUrl parsed;
  if (hostPort.size() == 1) {
    parsed.host = hostPort[0];
  } else if (hostPort.size() == 2) {
    parsed.host = hostPort[0];
    int64_t port = ParseInt64(hostPort[1]);
    // A port that isn't a 16-bit number would silently wrap to another one.
    if (port <= 0 || port > 65535) return UrlSplit::kInvalidHost;
    parsed.port = static_cast<uint16_t>(port);
  } else {
    return UrlSplit::kInvalidHost;
  }
  for (size_t i = 2; i < pieces.size(); ++i) parsed.path += "/" + pieces[i];
  *out = parsed;
  return UrlSplit::kOk;
}

std::string HeaderFileNameRaw(const std::vector<std::string>& lines) {
  static const std::string kKey = "filename=";
  for (const std::string& line : lines) {
    size_t at = line.find(kKey);
    if (at == std::string::npos) continue;
    std::vector<std::string> pieces = SplitAny(line.substr(at + kKey.size()), "\"");
    return pieces.empty() ? std::string() : pieces[0];
  }
  return std::string();
}

int64_t HeaderContentLength(const std::vector<std::string>& lines) {
  static const std::string kKey = "Content-Length:";
  for (const std::string& line : lines) {
    if (line.size() > 15 && line.compare(0, kKey.size(), kKey) == 0) return ParseInt64(line.substr(kKey.size()));
  }
  return 0;
}

std::string HeaderStatus(const std::vector<std::string>& lines) {
  return lines.empty() ? std::string() : HttpStatusText(lines[0]);
}

bool IsRedirectStatus(const std::string& status) {
  if (status.empty()) return false;
  int64_t code = ParseInt64(status);
  return code >= 300 && code <= 399;
}

bool RedirectTarget(const std::vector<std::string>& lines, const std::string& queryHost, uint16_t queryPort,
                    std::string* url) {
  static const std::string kKey = "Location:";
  for (const std::string& line : lines) {
    if (line.compare(0, kKey.size(), kKey) != 0) continue;
    std::string value = TrimLeft(line.substr(kKey.size()), " \t");
    if (value.compare(0, 4, "http") != 0 && !value.empty() && value[0] == '/') {
      value = "http://" + queryHost + ":" + FormatInt64(queryPort) + value;
    }
    *url = value;
    return true;
  }
  return false;
}

namespace {

bool IsReservedDeviceName(const std::wstring& name) {
  // Windows maps these to devices whatever the extension: "nul.exe" opens NUL.
  std::wstring stem = name.substr(0, name.find(L'.'));
  stem = TrimRight(stem, L" ");
  std::wstring upper;
  for (wchar_t c : stem) upper += static_cast<wchar_t>(std::towupper(c));
  static const wchar_t* const kDevices[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
  for (const wchar_t* d : kDevices) {
    if (upper == d) return true;
  }
  if (upper.size() == 4 && (upper.compare(0, 3, L"COM") == 0 || upper.compare(0, 3, L"LPT") == 0) &&
      upper[3] >= L'0' && upper[3] <= L'9') {
    return true;
  }
  return false;
}

}  // namespace

std::wstring SanitizeFileName(const std::wstring& name) {
  if (name.empty() || name.size() > 200) return std::wstring();
  if (name == L"." || name == L"..") return std::wstring();
  for (wchar_t c : name) {
    if (c < 0x20 || c == 0x7F) return std::wstring();
    if (std::wstring(L"\\/:*?\"<>|").find(c) != std::wstring::npos) return std::wstring();
  }
  // Windows strips trailing dots and blanks, so "a.exe." would name another file than the one checked.
  wchar_t last = name.back();
  if (last == L'.' || last == L' ' || name.front() == L' ') return std::wstring();
  if (IsReservedDeviceName(name)) return std::wstring();
  return name;
}

std::wstring FallbackPackageName(const std::wstring& ownFileName, const std::wstring& versionTag) {
  // No module name at all (the system gave none): nothing to build a name from.
  if (ownFileName.empty()) return L"MorvelPkg.exe";
  std::wstring name = ownFileName;
  std::wstring ext = GetExtension(ownFileName);
  if (!ext.empty()) name = RemoveAll(name, ext);
  if (FindText(name, L"_install") < 0) name += L"_install";
  if (!versionTag.empty()) name += L"_v" + versionTag;
  name += L".exe";
  return name;
}

bool IsVersionAtLeast(const std::wstring& a, const std::wstring& b) {
  std::vector<std::wstring> pa = SplitAny(a, L"."), pb = SplitAny(b, L".");
  if (pa.size() != pb.size() || pa.empty()) return false;
  for (size_t i = 0; i < pa.size(); ++i) {
    std::string na(pa[i].begin(), pa[i].end()), nb(pb[i].begin(), pb[i].end());
    // Components are plain digits; narrowing keeps ASCII digits intact, and anything else reads as 0.
    for (char& c : na) c = (c >= '0' && c <= '9') || c == '-' || c == ' ' ? c : 'x';
    for (char& c : nb) c = (c >= '0' && c <= '9') || c == '-' || c == ' ' ? c : 'x';
    if (ParseInt64(na) < ParseInt64(nb)) return false;
  }
  return true;
}

std::wstring ChannelPackageName(const std::wstring& productVersion) {
  std::vector<std::wstring> parts = SplitAny(productVersion, L".");
  if (parts.size() != 4) return std::wstring();
  std::string second(parts[1].begin(), parts[1].end());
  for (char& c : second) c = (c >= '0' && c <= '9') || c == '-' || c == ' ' ? c : 'x';
  switch (ParseInt64(second)) {
    case 96: return L"install_tengxun0.exe";
    case 97: return L"install_qihu3600.exe";
    case 98: return L"install_jinshan0.exe";
    case 99: return L"install_huawei00.exe";
    default: return std::wstring();
  }
}

std::vector<ByteRange> SplitRanges(int64_t total, int count) {
  std::vector<ByteRange> ranges;
  if (total <= 0 || count <= 0) return ranges;
  int64_t part = total / count;
  for (int i = 0; i < count; ++i) {
    int64_t start = i * part;
    int64_t end = (i == count - 1) ? total - 1 : (i + 1) * part - 1;
    // A package smaller than the worker count leaves empty leading ranges; they start complete.
    ranges.push_back({start, end});
  }
  return ranges;
}

std::string BuildRangeRequest(const std::string& host, const std::string& path, int64_t next, int64_t end) {
  return "GET " + path + " HTTP/1.1\r\nHost:" + host + "\r\nAccept:*/*\r\nRange:bytes=" + FormatInt64(next) + "-" +
         FormatInt64(end) +
         "\r\nUser-Agent:Mozilla/4.0 (compatible; MSIE 5.00; Windows 98)\r\nConnection:close\r\n\r\n";
}

std::wstring BuildSetupCommandLine(const std::wstring& setupPath, const std::wstring& installFolder,
                                   bool joinPlan) {
  std::wstring line = L"\"" + setupPath + L"\" /SILENT /VERYSILENT /SP- /noicons ";
  if (!joinPlan) line += L"-noexperience ";
  line += L"-nowelcome ";
  line += L"/DIR=\"" + installFolder + L"\"";
  return line;
}

std::string FormatExitCode(uint32_t code) { return FormatInt64(static_cast<int64_t>(code)); }

std::string BuiltInPackageUrl(const std::string& cdnHost, bool x64) {
  return "http://" + cdnHost + "/application/soft_package/pc/41872306/software/" +
         (x64 ? "install_x64.exe" : "install.exe");
}
