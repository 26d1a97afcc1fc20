#include "api/api_answers.h"

#include <json/json.h>

#include "download/url_rules.h"
#include "platform/error.h"
#include "platform/text.h"

namespace {

Json::Value ParseDocument(const std::string& body) {
  Json::Value root;
  Json::Reader reader;
  if (!reader.parse(body, root)) throw MorvelError("parse decrypt data error");
  return root;
}

// jsoncpp raises its own exception type for a value it can't convert; callers treat it like any
// failure of the request, so it is turned into the component's error here.
template <class F>
auto Converting(F&& f) -> decltype(f()) {
  try {
    return f();
  } catch (const Json::Exception&) {
    throw MorvelError("json value convert error");
  }
}

bool IsObjectWith(const Json::Value& v, const char* name) { return v.isObject() && v.isMember(name); }

void ReadText(const Json::Value& data, const char* name, std::string* out) {
  if (IsObjectWith(data, name)) *out = Converting([&] { return data[name].asString(); });
}

// Sizes arrive as text or as a number; both are read as their decimal text.
void ReadSize(const Json::Value& data, const char* name, int64_t fallback, int64_t* out) {
  std::string text;
  ReadText(data, name, &text);
  int64_t value = ParseInt64(text);
  *out = value == 0 ? fallback : value;
}

bool HasSuccessCode(const Json::Value& root) {
  if (!IsObjectWith(root, "code")) return false;
  const Json::Value& code = root["code"];
  if (!code.isString()) throw MorvelError("json value convert error");
  return code.asString() == "server.success";
}

}  // namespace

PkgInfoRecord ParsePkgInfo(const std::string& body) {
  Json::Value root = ParseDocument(body);
  if (!IsObjectWith(root, "code") || !root.isMember("data")) throw MorvelError("member not exist");
  std::string code = Converting([&] { return root["code"].asString(); });
  if (code != "server.success") throw MorvelError("request error");
  const Json::Value& data = root["data"];
  PkgInfoRecord r;
  if (IsObjectWith(data, "downloadUrl")) {
    r.urls.push_back(Converting([&] { return data["downloadUrl"].asString(); }));
  }
  ReadText(data, "softwareCode", &r.softwareCode);
  ReadText(data, "versionCode", &r.versionCode);
  ReadText(data, "md5", &r.md5);
  ReadSize(data, "size", kDefaultPackageSize, &r.size);
  ReadSize(data, "installationSize", kDefaultInstallationSize, &r.installationSize);
  return r;
}

ServerInfoRecord ParseServerInfo(const std::string& body) {
  Json::Value root = ParseDocument(body);
  ServerInfoRecord r;
  if (!HasSuccessCode(root) || !root.isMember("data")) return r;
  const Json::Value& data = root["data"];
  ReadText(data, "appId", &r.appId);
  ReadText(data, "appName", &r.appName);
  ReadText(data, "welcomeUrl", &r.welcomeUrl);
  ReadText(data, "advertisingAccountName", &r.advertisingAccountName);
  if (IsObjectWith(data, "tarnelOcpc")) r.tarnelOcpc = Converting([&] { return data["tarnelOcpc"].asBool(); });
  return r;
}

bool ParseInstallerConfig(const std::string& body, std::string* imageUrl) {
  Json::Value root;
  Json::Reader reader;
  if (!reader.parse(body, root)) return false;
  if (!HasSuccessCode(root) || !root.isMember("data")) return false;
  const Json::Value& data = root["data"];
  if (!IsObjectWith(data, "ProductsShow")) return false;
  const Json::Value& show = data["ProductsShow"];
  if (!IsObjectWith(show, "gif_url")) return false;
  *imageUrl = Converting([&] { return show["gif_url"].asString(); });
  return true;
}

bool SplitImageUrl(const std::string& url, std::string* host, uint16_t* port, std::string* path) {
  ParsedUrl parsed;
  if (SplitUrl(url, &parsed) != UrlSplit::kOk) return false;
  *host = parsed.host;
  *port = parsed.port;
  *path = parsed.path;
  return true;
}

std::string BuildPkgInfoPath(const std::string& productVersionUtf8, bool is64BitWindows) {
  return std::string("/applicationService/installer/getAppVersion?appId=") + kVendorAppId +
         "&versionCode=" + (productVersionUtf8.empty() ? "0.9.0.1" : productVersionUtf8) +
         "&packageSystemSupport=" + (is64BitWindows ? "2" : "1");
}

std::string BuildServerInfoPath(const std::string& channel) {
  return "/applicationService/channel/welcome?channel=" + channel;
}

std::string BuildInstallerConfigPath() {
  return std::string("/applicationService/app/installerConfig?appId=") + kVendorAppId;
}
