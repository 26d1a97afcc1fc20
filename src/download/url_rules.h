// The byte-level rules of the download engine: URL splitting, the HEAD answer's file name and size,
// redirects, the range split, version comparison, the package file names and the ranged request.
// No Windows headers: unit-tested natively and fuzzed.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct ParsedUrl {
  std::string host;
  uint16_t port = 80;
  std::string path;  // begins with "/", query string included
};

enum class UrlSplit { kOk, kInvalidUrl, kInvalidHost };

// Pieces between "/" (empty ones dropped): scheme, host[:port], at least one path segment. The scheme
// piece is not examined; "//" in the path collapses and a trailing "/" is lost.
UrlSplit SplitUrl(const std::string& url, ParsedUrl* out);

// The HEAD answer's header lines (status line first). Raw file name: the first line holding
// "filename=", the text after it split at double quotes, first piece; empty when there is none.
std::string HeaderFileNameRaw(const std::vector<std::string>& lines);
// The first line longer than 15 characters beginning with "Content-Length:" (exact case); 0 when none.
int64_t HeaderContentLength(const std::vector<std::string>& lines);
// The status code of the lines (three characters at offset 9 of the first line), empty when none.
std::string HeaderStatus(const std::vector<std::string>& lines);
bool IsRedirectStatus(const std::string& status);

// The new URL a 3xx answer points to; false when it has no "Location:" line. A value beginning with "/"
// is resolved against the host and port of the URL the query started from.
bool RedirectTarget(const std::vector<std::string>& lines, const std::string& queryHost, uint16_t queryPort,
                    std::string* url);

// The server's name becomes a path in the package folder that is later run elevated: only a plain file
// name is kept. Empty when the name has a folder, drive or stream part, is "." or "..", carries a
// reserved or control character, ends in a dot or blank, is a reserved device name, or is too long.
std::wstring SanitizeFileName(const std::wstring& name);

// The name used when the server gives none: the installer's own name without its extension, with
// "_install" (unless present), "_v" + tag (when not empty) and ".exe"; "MorvelPkg.exe" when empty.
std::wstring FallbackPackageName(const std::wstring& ownFileName, const std::wstring& versionTag);

// Whether version a is at least version b: same non-zero number of components, none of a below b's.
bool IsVersionAtLeast(const std::wstring& a, const std::wstring& b);

// The fixed package name of the channel builds (ProductVersion x.96-99.y.z); empty for every other version.
std::wstring ChannelPackageName(const std::wstring& productVersion);

struct ByteRange {
  int64_t start, end;  // inclusive
};
// total / count bytes per range, the last one taking the remainder. Empty for total <= 0.
std::vector<ByteRange> SplitRanges(int64_t total, int count);

// The worker's ranged GET, bytes exact.
std::string BuildRangeRequest(const std::string& host, const std::string& path, int64_t next, int64_t end);

// The setup program's silent command line.
std::wstring BuildSetupCommandLine(const std::wstring& setupPath, const std::wstring& installFolder,
                                   bool joinPlan);

// Exit codes are reported as unsigned 32-bit decimal numbers (so -1 is "4294967295").
std::string FormatExitCode(uint32_t code);

// The built-in package URL on the vendor CDN.
std::string BuiltInPackageUrl(const std::string& cdnHost, bool x64);
