// Reading the vendor API's JSON answers and building its request paths. No Windows headers: the readers
// are unit-tested natively and fuzzed.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

constexpr const char* kVendorAppId = "41872306";

// What a "getAppVersion" answer carries. Sizes fall back to these when absent or zero, so the
// free-space checks always have a usable number.
constexpr int64_t kDefaultPackageSize = 171934019;
constexpr int64_t kDefaultInstallationSize = 302445134;

struct PkgInfoRecord {
  std::string softwareCode, versionCode, md5;
  int64_t size = kDefaultPackageSize;
  int64_t installationSize = kDefaultInstallationSize;
  std::vector<std::string> urls;
};

struct ServerInfoRecord {
  std::string appId, appName, welcomeUrl, advertisingAccountName;
  bool tarnelOcpc = false;
};

// Raises MorvelError: "parse decrypt data error" (not JSON), "member not exist" (no "code" or "data"),
// "request error" (code other than "server.success"); a member jsoncpp can't convert raises too.
PkgInfoRecord ParsePkgInfo(const std::string& body);

// Raises only for an unparsable body or a wrongly typed member ("tarnelOcpc" as text, "code" not a
// string); any other envelope gives empty fields.
ServerInfoRecord ParseServerInfo(const std::string& body);

// True with the image URL (possibly empty) when the installer-config answer names one. Raises only for
// a "code" that is not a string or a "gif_url" that can't be read as text.
bool ParseInstallerConfig(const std::string& body, std::string* imageUrl);

// Host, port (80 unless the host piece carries one) and path of an image URL; false when it doesn't split.
bool SplitImageUrl(const std::string& url, std::string* host, uint16_t* port, std::string* path);

// "/applicationService/installer/getAppVersion?..." with the product version ("0.9.0.1" when empty) and
// the system parameter ("2" on 64-bit Windows). Nothing is escaped.
std::string BuildPkgInfoPath(const std::string& productVersionUtf8, bool is64BitWindows);
std::string BuildServerInfoPath(const std::string& channel);
std::string BuildInstallerConfigPath();
