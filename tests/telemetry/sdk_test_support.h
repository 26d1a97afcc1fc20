// Helpers for the logger's tests: a logger deployed from one of the test archives into a scratch
// folder, and the stand-in SDK's logs read back.
#pragma once
#include <windows.h>

#include <json/json.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "../platform/scratch.h"
#include "platform/encoding.h"
#include "telemetry/c_logger_server.h"

// Resource ids of the archives the test program carries (standins/vendor-sdk/CMakeLists.txt).
enum SdkArchive {
  kArchiveSdk = 105,
  kArchiveNoMidVersion = 201,
  kArchiveNoSensorUrl = 202,
  kArchiveFailAppInfo = 203,
  kArchiveNoRecordFree = 204,
  kArchiveTruncated = 205,
  kArchiveNotAZip = 206,
  kArchiveMissing = 999,
};

// A stand-in library as built, e.g. StandIn(L"fail_app_info", L"Yelk.dll").
inline std::wstring StandIn(const std::wstring& variant, const std::wstring& file) {
  return std::wstring(VEXRA_SDK_VARIANTS_WINPATH) + variant + L"\\" + file;
}

inline std::vector<Json::Value> ReadJsonLines(const std::wstring& path) {
  std::vector<Json::Value> lines;
  std::ifstream in(path.c_str(), std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    Json::Value value;
    Json::CharReaderBuilder builder;
    std::string errors;
    std::istringstream text(line);
    if (!Json::parseFromStream(builder, text, &value, &errors)) {
      ADD_FAILURE() << "not a JSON line in " << WideToUtf8(path) << ": " << line;
      continue;
    }
    lines.push_back(value);
  }
  return lines;
}

// The "call" names of calls.jsonl, in order.
inline std::vector<std::string> CallNames(const std::vector<Json::Value>& calls) {
  std::vector<std::string> names;
  for (const auto& c : calls) names.push_back(c["call"].asString());
  return names;
}

inline std::string Unhex(const std::string& hex) {
  std::string bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  return bytes;
}

// A record's fields as (number, value) pairs in the order written; integers as decimal text.
inline std::vector<std::pair<int, std::string>> Fields(const Json::Value& record) {
  std::vector<std::pair<int, std::string>> fields;
  for (const auto& f : record["fields"]) {
    std::string value = f.isMember("int") ? std::to_string(f["int"].asInt64()) : Unhex(f["hex"].asString());
    fields.emplace_back(f["field"].asInt(), value);
  }
  return fields;
}

// An event's properties as "type name=value" texts in the order the SDK received them.
inline std::vector<std::string> Properties(const Json::Value& record) {
  std::vector<std::string> props;
  for (const auto& p : record["properties"]) {
    const Json::Value& v = p["value"];
    std::string value = v.isBool() ? (v.asBool() ? "true" : "false") : v.isString() ? v.asString() : v.asString();
    props.push_back(p["type"].asString() + " " + p["name"].asString() + "=" + value);
  }
  return props;
}

// Waits up to `ms` for `done` to become true.
inline bool WaitUntil(const std::function<bool()>& done, int ms = 15000) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

// Sets an environment variable for the scope (the stand-in SDK reads its test triggers from it).
class ScopedEnv {
 public:
  ScopedEnv(const wchar_t* name, const std::wstring& value) : name_(name) {
    ::SetEnvironmentVariableW(name, value.c_str());
  }
  ~ScopedEnv() { ::SetEnvironmentVariableW(name_, nullptr); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const wchar_t* name_;
};

// A scratch folder of its own. Loaded libraries can't be deleted, so folders of the logger's tests
// outlive them, and Wine reuses process ids between runs: the name carries a clock reading as well.
class UniqueFolder {
 public:
  UniqueFolder() {
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    static int counter = 0;
    path_ = scratch_ / (L"u" + std::to_wstring(now.QuadPart) + L"-" + std::to_wstring(++counter) + L"\\");
    CreateFolders(path_);
  }
  ~UniqueFolder() { DeleteTree(path_); }
  UniqueFolder(const UniqueFolder&) = delete;
  UniqueFolder& operator=(const UniqueFolder&) = delete;
  std::wstring operator/(const std::wstring& name) const { return path_ + name; }
  const std::wstring& Path() const { return path_; }

 private:
  ScratchFolder scratch_;
  std::wstring path_;
};

// A scratch machine: run\ is the per-run folder, app\Yelk\ the SDK folder (not created beforehand).
class SdkMachine : public UniqueFolder {
 public:
  SdkMachine() { CreateFolders(RunFolder()); }
  std::wstring RunFolder() const { return Path() + L"run\\"; }
  std::wstring SdkFolder() const { return Path() + L"app\\Yelk\\"; }

  SdkPlace Place(int archive) const {
    SdkPlace place;
    place.module = ::GetModuleHandleW(nullptr);
    place.resourceId = archive;
    place.runFolder = RunFolder();
    place.sdkFolder = SdkFolder();
    return place;
  }
  std::unique_ptr<CLoggerServer> Logger(int archive = kArchiveSdk) const {
    return std::make_unique<CLoggerServer>(Place(archive));
  }
  // What an earlier run (or another program) left in the SDK folder.
  void Leave(const std::wstring& source, const std::wstring& name) const {
    CreateFolders(SdkFolder());
    ::CopyFileW(source.c_str(), (SdkFolder() + name).c_str(), FALSE);
  }
  std::vector<Json::Value> Records() const { return ReadJsonLines(SdkFolder() + L"records.jsonl"); }
  std::vector<Json::Value> Calls() const { return ReadJsonLines(SdkFolder() + L"calls.jsonl"); }
  std::vector<std::string> CallList() const { return CallNames(Calls()); }
};
