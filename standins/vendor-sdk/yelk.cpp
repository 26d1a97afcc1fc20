// Stand-in for the vendor's analytics SDK, "Yelk.dll". It keeps records as the SDK contract says and,
// instead of sending them anywhere, appends each committed record as one JSON line to records.jsonl in
// the folder it was loaded from. Start-up and service calls go to calls.jsonl in the same folder.
// README.md in this folder describes both logs and the test triggers.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "sdk_log.h"

#define YELK_API extern "C" __cdecl

using yelklog::Line;
using yelklog::Quote;

namespace {

constexpr uint32_t kHandleMagic = 0x4B4C4559;  // "YELK"
constexpr uint32_t kRecordMagic = 0x44524359;  // "YCRD"

struct Sdk {
  uint32_t magic = kHandleMagic;
  std::atomic<bool> freed{false};
};

struct Field {
  int number;
  bool isInt;
  long long value;
  std::string bytes;
};

struct Property {
  const char* type;
  std::string name;
  std::string json;  // the value, already formatted
};

struct Record {
  uint32_t magic = kRecordMagic;
  int type = 0;
  bool hasEvent = false;
  std::string event;
  long long serial = 0;
  std::vector<Field> fields;
  std::vector<Property> properties;
  bool committed = false;
};

std::atomic<long long> g_sequence{0};
using CrashCallback = void(__cdecl*)(int, const wchar_t*);
std::atomic<bool> g_crashStarted{false};

const std::wstring& Folder() {
  static const std::wstring folder = yelklog::FolderOf(reinterpret_cast<const void*>(&Folder));
  return folder;
}

void LogCall(Line line) { yelklog::Append(Folder(), L"calls.jsonl", line.Finish()); }
Line Call(const char* name) { return Line().Int("pid", ::GetCurrentProcessId()).Text("call", name); }

bool LiveSdk(void* handle) {
  auto* sdk = static_cast<Sdk*>(handle);
  return sdk && sdk->magic == kHandleMagic && !sdk->freed.load();
}

Record* AsRecord(void* record) {
  auto* r = static_cast<Record*>(record);
  return r && r->magic == kRecordMagic ? r : nullptr;
}

std::string Text(const char* text) { return text ? std::string(text) : std::string(); }

// 128 bits of FNV-1a over the text, as 32 upper-case hex digits: stable for one machine.
std::string Digest(const std::string& text) {
  uint64_t a = 1469598103934665603ULL, b = 0x84222325CBF29CE4ULL;
  for (unsigned char c : text) {
    a = (a ^ c) * 1099511628211ULL;
    b = (b ^ (c + 0x5B)) * 1099511628211ULL;
  }
  char out[40];
  wsprintfA(out, "%08X%08X%08X%08X", static_cast<unsigned>(a >> 32), static_cast<unsigned>(a),
            static_cast<unsigned>(b >> 32), static_cast<unsigned>(b));
  return out;
}

std::string MachineGuid() {
  HKEY key = nullptr;
  std::string guid;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Cryptography", 0,
                      KEY_READ | KEY_WOW64_64KEY, &key) == ERROR_SUCCESS) {
    char value[128] = {};
    DWORD size = sizeof value - 1, type = 0;
    if (::RegQueryValueExA(key, "MachineGuid", nullptr, &type, reinterpret_cast<BYTE*>(value), &size) ==
            ERROR_SUCCESS && type == REG_SZ)
      guid = value;
    ::RegCloseKey(key);
  }
  if (guid.empty()) {
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof name;
    ::GetComputerNameA(name, &size);
    guid = name;
  }
  return guid;
}

const std::string& Mid() {
  static const std::string mid = Digest(MachineGuid());
  return mid;
}

int EnvInt(const wchar_t* name, int fallback) {
  std::string value = yelklog::Env(name);
  return value.empty() ? fallback : std::atoi(value.c_str());
}

// Set once a stalled event has begun (YELK_STALL_EVENT).
HANDLE StallBegun() {
  static HANDLE event = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  return event;
}

struct CrashRequest {
  CrashCallback callback;
  std::wstring dump;
  int delayMs;
  bool afterStall;
};

DWORD WINAPI CrashThread(void* arg) {
  auto* request = static_cast<CrashRequest*>(arg);
  if (request->afterStall) ::WaitForSingleObject(StallBegun(), 30000);
  ::Sleep(request->delayMs);
  LogCall(Call("crash-callback").Int("thread", ::GetCurrentThreadId()));
  request->callback(static_cast<int>(0xC0000005), request->dump.c_str());
  LogCall(Call("crash-callback-returned"));
  delete request;
  return 0;
}

char* NewBuffer(const std::string& bytes, int* outLength) {
  char* buffer = static_cast<char*>(std::malloc(bytes.size()));
  if (!buffer) return nullptr;
  std::memcpy(buffer, bytes.data(), bytes.size());
  *outLength = static_cast<int>(bytes.size());
  return buffer;
}

// The HTTP data "encryption" of this stand-in: a two-byte tag and every byte XORed with 0x5A.
constexpr unsigned char kHttpMask = 0x5A;
const char kHttpTag[] = "YK";

}  // namespace

// ---- start-up -----------------------------------------------------------------------------------

YELK_API int yelkCreate(void** handle) {
  LogCall(Call("yelkCreate"));
  if (!handle) return 1;
  *handle = new Sdk;
  return 0;
}

YELK_API int yelkSetApplyKey(const char* appId, const char* appKey) {
  std::string id = Text(appId), key = Text(appKey);
  LogCall(Call("yelkSetApplyKey").Text("app_id", id).Text("app_key", key));
  bool idOk = !id.empty() && id.find_first_not_of("0123456789") == std::string::npos;
  bool keyOk = key.size() == 32 && key.find_first_not_of("0123456789ABCDEF") == std::string::npos;
  return idOk && keyOk ? 0 : 2;
}

YELK_API int yelkSetAppInfo(const char* name, int a, int b) {
  LogCall(Call("yelkSetAppInfo").Text("name", Text(name)).Int("a", a).Int("b", b));
#ifdef YELK_FAIL_SET_APP_INFO
  return 3;  // test variant: the SDK refuses the application info
#else
  return Text(name).empty() ? 3 : 0;
#endif
}

YELK_API int yelkSetHostInfo(const char* host, int port) {
  LogCall(Call("yelkSetHostInfo").Text("host", Text(host)).Int("port", port));
  return !Text(host).empty() && port > 0 && port < 65536 ? 0 : 4;
}

YELK_API int yelkSetSensorUrl(const char* url) {
  LogCall(Call("yelkSetSensorUrl").Text("url", Text(url)));
  return Text(url).compare(0, 1, "/") == 0 ? 0 : 5;
}

YELK_API int yelkSetMidVersion(int version) {
  LogCall(Call("yelkSetMidVersion").Int("version", version));
  return 0;
}

YELK_API int yelkSetPubCertificate(const char* key) {
  LogCall(Call("yelkSetPubCertificate").Int("length", static_cast<long long>(Text(key).size())));
  return 0;
}

YELK_API int yelkSetPriCcertificate(const char* key) {
  LogCall(Call("yelkSetPriCcertificate").Int("length", static_cast<long long>(Text(key).size())));
  return 0;
}

// Keeps the callback. When YELK_CRASH_DUMP names a dump file, a thread of the SDK's own calls it once,
// YELK_CRASH_DELAY_MS (default 500) milliseconds later, as the real SDK does after a crash; with
// YELK_CRASH_AFTER_STALL set, that delay starts only once a stalled event has begun.
YELK_API int yelkEnableCrashReport(CrashCallback callback, void* context) {
  LogCall(Call("yelkEnableCrashReport").Int("context", context != nullptr));
  std::string dump = yelklog::Env(L"YELK_CRASH_DUMP");
  if (callback && !dump.empty() && !g_crashStarted.exchange(true)) {
    wchar_t wide[1024] = {};
    ::MultiByteToWideChar(CP_UTF8, 0, dump.c_str(), -1, wide, 1023);
    auto* request = new CrashRequest{callback, wide, EnvInt(L"YELK_CRASH_DELAY_MS", 500),
                                     !yelklog::Env(L"YELK_CRASH_AFTER_STALL").empty()};
    HANDLE thread = ::CreateThread(nullptr, 0, &CrashThread, request, 0, nullptr);
    if (thread) ::CloseHandle(thread);
    else delete request;
  }
  return 0;
}

YELK_API int yelkFree(void* handle) {
  LogCall(Call("yelkFree"));
  if (!LiveSdk(handle)) return 1;
  static_cast<Sdk*>(handle)->freed = true;  // kept allocated: a late caller must not touch freed memory
  return 0;
}

YELK_API int yelkEnableSandbox(int on) {
  LogCall(Call("yelkEnableSandbox").Int("on", on));
  return 0;
}

YELK_API int yelkSetNetProtocol(int protocol) {
  LogCall(Call("yelkSetNetProtocol").Int("protocol", protocol));
  return 0;
}

YELK_API int yelkSetURLVersion(const char* version) {
  LogCall(Call("yelkSetURLVersion").Text("version", Text(version)));
  return 0;
}

// ---- records ------------------------------------------------------------------------------------

YELK_API int yelkCLTCreate(void* handle, int type, void** record) {
  if (!record || !LiveSdk(handle)) return 1;
  auto* r = new Record;
  r->type = type;
  *record = r;
  return 0;
}

// YELK_STALL_EVENT names an event during whose writing the SDK stalls for YELK_STALL_MS (default
// 5000) milliseconds: tests use it to hold the installer's logger busy.
YELK_API int yelkCLTSensorWriteEvent(void* record, const char* name, int serial) {
  Record* r = AsRecord(record);
  if (!r) return 1;
  r->hasEvent = true;
  r->event = Text(name);
  r->serial = serial;
  std::string stall = yelklog::Env(L"YELK_STALL_EVENT");
  if (!stall.empty() && stall == r->event) {
    LogCall(Call("stall-begin"));
    ::SetEvent(StallBegun());
    ::Sleep(EnvInt(L"YELK_STALL_MS", 5000));
    LogCall(Call("stall-end"));
  }
  return 0;
}

YELK_API int yelkCLTSensorWriteIntProperties(void* record, const char* name, int value) {
  Record* r = AsRecord(record);
  if (!r) return 1;
  r->properties.push_back({"int", Text(name), std::to_string(value)});
  return 0;
}

YELK_API int yelkCLTSensorWriteBoolProperties(void* record, const char* name, unsigned char value) {
  Record* r = AsRecord(record);
  if (!r) return 1;
  r->properties.push_back({"bool", Text(name), value ? "true" : "false"});
  return 0;
}

YELK_API int yelkCLTSensorWriteStringProperties(void* record, const char* name, const char* value) {
  Record* r = AsRecord(record);
  if (!r) return 1;
  r->properties.push_back({"string", Text(name), Quote(Text(value))});
  return 0;
}

YELK_API int yelkCLTWriteInt(void* record, int field, int value) {
  Record* r = AsRecord(record);
  if (!r) return 1;
  r->fields.push_back({field, true, value, std::string()});
  return 0;
}

YELK_API int yelkCLTWriteData(void* record, int field, const void* data, int length) {
  Record* r = AsRecord(record);
  if (!r || (length > 0 && !data) || length < 0) return 1;
  r->fields.push_back({field, false, 0, std::string(static_cast<const char*>(data), length)});
  return 0;
}

YELK_API int yelkCLTCommit(void* record) {
  Record* r = AsRecord(record);
  if (!r || r->committed) return 1;
  r->committed = true;
  Line line;
  line.Int("seq", ++g_sequence).Int("pid", ::GetCurrentProcessId()).Int("thread", ::GetCurrentThreadId());
  line.Int("type", r->type);
  if (r->hasEvent) {
    line.Text("event", r->event).Int("serial", r->serial);
    std::string props = "[";
    for (const Property& p : r->properties) {
      if (props.size() > 1) props += ',';
      props += Line().Text("name", p.name).Text("type", p.type).Raw("value", p.json).Finish();
      props.pop_back();  // the newline Finish adds
    }
    line.Raw("properties", props + "]");
  }
  std::string fields = "[";
  for (const Field& f : r->fields) {
    if (fields.size() > 1) fields += ',';
    Line item;
    item.Int("field", f.number);
    if (f.isInt) item.Int("int", f.value);
    else item.Text("hex", yelklog::Hex(f.bytes));
    fields += item.Finish();
    fields.pop_back();
  }
  line.Raw("fields", fields + "]");
  yelklog::Append(Folder(), L"records.jsonl", line.Finish());
  return 0;
}

YELK_API int yelkCLTFree(void* record) {
  Record* r = AsRecord(record);
  if (!r) return 1;
  r->magic = 0;
  delete r;
  return 0;
}

// ---- services -----------------------------------------------------------------------------------

YELK_API void* yelkBuildHttpData(void* context, const void* data, int length, int* outLength, int flags,
                                 const char* urlVersion) {
  LogCall(Call("yelkBuildHttpData").Int("length", length).Int("flags", flags).Text("url_version", Text(urlVersion)));
  if (!data || length <= 0 || !outLength) return nullptr;
  (void)context;
  std::string out(kHttpTag);
  for (int i = 0; i < length; ++i) out += static_cast<char>(static_cast<const unsigned char*>(data)[i] ^ kHttpMask);
  return NewBuffer(out, outLength);
}

YELK_API void* yelkDecryptData(const void* data, int length, int* outLength) {
  LogCall(Call("yelkDecryptData").Int("length", length));
  const auto* bytes = static_cast<const char*>(data);
  if (!bytes || !outLength || length <= 2 || std::memcmp(bytes, kHttpTag, 2) != 0) return nullptr;
  std::string out;
  for (int i = 2; i < length; ++i) out += static_cast<char>(static_cast<unsigned char>(bytes[i]) ^ kHttpMask);
  return NewBuffer(out, outLength);
}

YELK_API void yelkDataFree(void* buffer) { std::free(buffer); }

YELK_API const char* yelkMid() {
  LogCall(Call("yelkMid"));
  return Mid().c_str();
}

YELK_API const char* yelkMidEx(int kind) {
  LogCall(Call("yelkMidEx").Int("kind", kind));
  thread_local std::string text;
  text = kind == 0 ? Mid() : Digest(Mid() + std::to_string(kind));
  return text.c_str();
}

YELK_API int yelkOpenUrl(const char* url) {
  // Recorded only: the stand-in never starts a browser.
  LogCall(Call("yelkOpenUrl").Text("url", Text(url)));
  return 0;
}
