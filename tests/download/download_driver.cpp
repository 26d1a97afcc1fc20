// Test and demo driver: runs the installer's real API holders, URL header query, downloader and setup
// runner against whatever servers the network offers, and prints what happened as one JSON object per
// line. Used by the tests of tests/download and by `make demo`.
//   download_driver pkginfo [waitMs]
//   download_driver serverinfo CHANNEL [waitMs]
//   download_driver query [URL]
//   download_driver download [--restarts N] [--timeout S]
//   download_driver setup SETUP_PATH FOLDER [plan|noplan]
//   download_driver install FOLDER [plan|noplan]     (download, then setup)
//   download_driver banner                            (the installer-config image exchange)
//   download_driver md5 FILE                          (Md5HexOfFile, timed)
//   download_driver repeat N [--restarts N]           (N downloads in one process)
#include <winsock2.h>
#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "api/vendor_api.h"
#include "app/app_info.h"
#include "app/install_settings.h"
#include "app/setup_runner.h"
#include "download/downloader.h"
#include "download/query_url_info.h"
#include "endpoints.h"
#include "net/app_environment.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/md5.h"
#include "platform/system.h"

namespace {

std::string Quote(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    if (static_cast<unsigned char>(c) < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
      continue;
    }
    out += c;
  }
  return out + "\"";
}
std::string Quote(const std::wstring& text) { return Quote(WideToUtf8(text)); }
std::string Quote(const char* text) { return text ? Quote(std::string(text)) : "null"; }

void Print(const std::string& json) {
  std::printf("%s\n", json.c_str());
  std::fflush(stdout);
}

size_t PeakWorkingSet() {
  PROCESS_MEMORY_COUNTERS pmc{};
  pmc.cb = sizeof pmc;
  return ::GetProcessMemoryInfo(::GetCurrentProcess(), &pmc, sizeof pmc) ? pmc.PeakWorkingSetSize : 0;
}

int WaitForState(IPkgInfo* info, DWORD waitMs) {
  DWORD begin = ::GetTickCount();
  while (info->GetState() == Pending && ::GetTickCount() - begin < waitMs) ::Sleep(20);
  return info->GetState();
}

int PkgInfo(DWORD waitMs) {
  IPkgInfo* info = GetPkgInfo();
  DWORD begin = ::GetTickCount();
  int state = WaitForState(info, waitMs);
  std::string urls = "[";
  for (int32_t i = 0; i < info->GetUrlCount(); ++i) urls += (i ? "," : "") + Quote(info->GetUrl(i));
  urls += "]";
  Print("{\"state\":" + std::to_string(state) + ",\"ms\":" + std::to_string(::GetTickCount() - begin) +
        ",\"version\":" + Quote(info->GetVersionCode()) + ",\"md5\":" + Quote(info->GetMd5()) +
        ",\"size\":" + std::to_string(info->GetSize()) +
        ",\"installationSize\":" + std::to_string(info->GetInstallationSize()) + ",\"urls\":" + urls +
        ",\"url1\":" + Quote(info->GetUrl(1)) + "}");
  return 0;
}

int ServerInfo(const std::string& channel, DWORD waitMs) {
  GetAppEnvironment()->SetChannel(channel);
  IServerInfo* info = GetServerInfo();
  DWORD begin = ::GetTickCount();
  while (info->GetState() == Pending && ::GetTickCount() - begin < waitMs) ::Sleep(20);
  Print("{\"state\":" + std::to_string(info->GetState()) + ",\"ms\":" + std::to_string(::GetTickCount() - begin) +
        ",\"appId\":" + Quote(info->GetAppId()) + ",\"appName\":" + Quote(info->GetAppName()) +
        ",\"welcomeUrl\":" + Quote(info->GetWelcomeUrl()) +
        ",\"advertisingAccountName\":" + Quote(info->GetAdvertisingAccountName()) +
        ",\"tarnelOcpc\":" + (info->GetTarnelOcpc() ? "true" : "false") + "}");
  return 0;
}

class PrintingSink : public IUrlInfoSink {
 public:
  void OnUrlInfo(const UrlInfo& r) override { result = r; }
  UrlInfo result;
};

int Query(const std::string& url) {
  PrintingSink sink;
  DWORD begin = ::GetTickCount();
  {
    QueryUrlInfoThread query(url, &sink);
    while (!query.IsDone()) ::Sleep(10);
  }
  std::string urls = "[";
  for (size_t i = 0; i < sink.result.urls.size(); ++i) urls += (i ? "," : "") + Quote(sink.result.urls[i]);
  Print("{\"size\":" + std::to_string(sink.result.size) + ",\"fileName\":" + Quote(sink.result.fileName) +
        ",\"urls\":" + urls + "],\"ms\":" + std::to_string(::GetTickCount() - begin) + "}");
  return 0;
}

// The progress page's use of the downloader: Start, Poll every 50 ms, and a new Start after a failure.
int Download(int restarts, DWORD timeoutMs, std::wstring* path) {
  IDownloader* d = CreateDownloader();
  DWORD begin = ::GetTickCount();
  int state = 0, starts = 0;
  bool started = d->Start();
  ++starts;
  while (::GetTickCount() - begin < timeoutMs) {
    state = started ? d->Poll() : 5;
    if (state == 4) break;
    if (state == 5 || state == 3) {
      if (starts > restarts) break;
      started = d->Start();
      ++starts;
      continue;
    }
    ::Sleep(50);
  }
  DWORD elapsed = ::GetTickCount() - begin;
  std::wstring file = d->GetFilePath();
  std::string md5 = state == 4 ? Md5HexOfFile(file) : std::string();
  Print("{\"state\":" + std::to_string(state) + ",\"starts\":" + std::to_string(starts) +
        ",\"progress\":" + std::to_string(d->GetProgress()) + ",\"path\":" + Quote(file) + ",\"md5\":" + Quote(md5) +
        ",\"url\":" + Quote(d->GetDownloadUrl()) + ",\"ms\":" + std::to_string(elapsed) +
        ",\"rememberedPath\":" + Quote(GetInstallSettings().PackagePath()) +
        ",\"rememberedMd5\":" + Quote(GetInstallSettings().PackageMd5()) +
        ",\"peakWorkingSet\":" + std::to_string(PeakWorkingSet()) + "}");
  if (path) *path = file;
  d->Release();
  return state == 4 ? 0 : 1;
}

// The progress page's timer: the start step, then the watch step every 50 ms.
int Setup(const std::wstring& setupPath, const std::wstring& folder, bool plan) {
  SetupRunState state;
  state.installFolder = folder;
  state.joinPlan = plan;
  std::wstring line = BuildSetupCommandLine(setupPath, folder, plan);
  StartSetupStep(state, setupPath, nullptr);
  SetupOutcome outcome;
  while ((outcome = WatchSetupStep(state, nullptr)) == SetupOutcome::kRunning) ::Sleep(50);
  Print("{\"outcome\":" + Quote(outcome == SetupOutcome::kSucceeded ? "succeeded" : "failed") +
        ",\"exitCode\":" + Quote(FormatExitCode(state.exitCode)) + ",\"commandLine\":" + Quote(line) +
        ",\"installDone\":" + (state.installDone ? "true" : "false") + "}");
  return outcome == SetupOutcome::kSucceeded ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  CreateAppEnvironment();
  WSADATA wsa;
  ::WSAStartup(MAKEWORD(1, 1), &wsa);
  CreateFolders(GetSettingsFolder());
  std::wstring mode = argc > 1 ? argv[1] : L"";
  auto arg = [&](int i, const wchar_t* fallback) { return i < argc ? std::wstring(argv[i]) : std::wstring(fallback); };
  int rc = 2;
  if (mode == L"pkginfo") {
    rc = PkgInfo(static_cast<DWORD>(std::wcstoul(arg(2, L"15000").c_str(), nullptr, 10)));
  } else if (mode == L"serverinfo") {
    rc = ServerInfo(WideToUtf8(arg(2, L"")), static_cast<DWORD>(std::wcstoul(arg(3, L"20000").c_str(), nullptr, 10)));
  } else if (mode == L"query") {
    rc = Query(WideToUtf8(arg(2, L"")));
  } else if (mode == L"download" || mode == L"install") {
    int restarts = 0;
    DWORD timeoutMs = 120000;
    std::wstring folder, plan = L"plan";
    for (int i = 2; i < argc; ++i) {
      std::wstring a = argv[i];
      if (a == L"--restarts" && i + 1 < argc) restarts = std::wcstol(argv[++i], nullptr, 10);
      else if (a == L"--timeout" && i + 1 < argc) timeoutMs = std::wcstoul(argv[++i], nullptr, 10) * 1000;
      else if (folder.empty()) folder = a;
      else plan = a;
    }
    std::wstring path;
    rc = Download(restarts, timeoutMs, &path);
    if (rc == 0 && mode == L"install") rc = Setup(path, folder, plan != L"noplan");
  } else if (mode == L"banner") {
    std::string image = FetchBannerImage(endpoints::kApiHost);
    Print("{\"size\":" + std::to_string(image.size()) + ",\"md5\":" + Quote(image.empty() ? "" : Md5Hex(image.data(), static_cast<int64_t>(image.size()))) +
          "}");
    rc = 0;
  } else if (mode == L"md5") {
    DWORD begin = ::GetTickCount();
    std::string md5 = Md5HexOfFile(arg(2, L""));
    Print("{\"md5\":" + Quote(md5) + ",\"ms\":" + std::to_string(::GetTickCount() - begin) + "}");
    rc = md5.empty() ? 1 : 0;
  } else if (mode == L"repeat") {
    int count = std::wcstol(arg(2, L"1").c_str(), nullptr, 10);
    int restarts = arg(3, L"") == L"--restarts" ? std::wcstol(arg(4, L"0").c_str(), nullptr, 10) : 0;
    rc = 0;
    for (int i = 0; i < count; ++i) rc |= Download(restarts, 120000, nullptr);
  } else if (mode == L"setup") {
    rc = Setup(arg(2, L""), arg(3, L""), arg(4, L"plan") != L"noplan");
  } else {
    std::fprintf(stderr, "usage: download_driver pkginfo|serverinfo|query|download|setup|install ...\n");
  }
  std::fflush(stdout);
  // A normal return: static destruction stops the holders' fetch threads the way the installer's exit does.
  return rc;
}
