#include "app/startup.h"

#include <winsock2.h>
#include <windows.h>

#include <memory>

#include "api/vendor_api.h"
#include "app/app_info.h"
#include "app/install_flags.h"
#include "app/install_settings.h"
#include "app/launch_context.h"
#include "app/main_window.h"
#include "app/messages.h"
#include "net/app_environment.h"
#include "platform/dyn_calls.h"
#include "platform/encoding.h"
#include "platform/error.h"
#include "platform/file_stream.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/scoped.h"
#include "platform/system.h"
#include "platform/text.h"
#include "telemetry/logger_server.h"

bool g_isFirstInstall = true;
bool g_isReinstall = false;

namespace {

struct FindContext {
  HWND found = nullptr;
};

BOOL CALLBACK FindMainWindow(HWND hwnd, LPARAM lp) {
  wchar_t name[260] = {};
  ::GetClassNameW(hwnd, name, 259);
  if (wcscmp(name, kMainWindowClass) == 0) {  // exact and case-sensitive
    reinterpret_cast<FindContext*>(lp)->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

std::wstring OwnExePath() {
  wchar_t path[1024] = {};
  ::GetModuleFileNameW(nullptr, path, 1023);
  return path;
}

void ExitSequence() {
  GetLoggerServer()->ReportLifecycle(4, "0001", "0002", "", "", {});
  GetLoggerServer()->ClearProperties();
  GetLoggerServer()->SetStringProperty("event_name", "软件退出");
  GetLoggerServer()->TrackEvent("vSoftQuit");
  DeleteAppEnvironment();
}

// Steps 1-17 of start-up; every exception escaping them lands in RunInstaller's catch-all.
void StartAndRun(HINSTANCE instance) {
  CreateAppEnvironment();
  SetModuleInstance(instance);
  if (auto aware = dyn::Get().SetProcessDPIAware) aware();

  {
    ScopedRegKey key;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ, key.Receive()) == ERROR_SUCCESS)
      g_isFirstInstall = false;
  }

  const std::wstring exePath = OwnExePath();
  const std::string packageName = PackageNameFromPath(WideToUtf8(exePath));
  std::string channel = ChannelFromPackageName(packageName);
  if (IAppInfo* info = GetAppInfo())
    channel = ChannelWithVersionOverride(channel, WideToUtf8(info->GetProductVersion(std::wstring())));
  GetAppEnvironment()->SetChannel(channel);

  // The settings folder is made before the first write so that a first run's start-up values reach
  // the file too (step 14 below creates it again, which changes nothing).
  CreateFolders(GetSettingsFolder());
  GetInstallSettings().SetBeginTimestamp(Utf8ToWide(FormatInt64(NowSeconds())));

  std::string parentName;
  DWORD parent = 0;
  std::wstring parentPath;
  if (GetParentProcessId(::GetCurrentProcessId(), &parent) && GetProcessImagePath(parent, &parentPath) &&
      !parentPath.empty()) {
    GetInstallSettings().SetLaunchAppName(parentPath);
    std::string utf8 = WideToUtf8(parentPath);
    size_t slash = utf8.rfind('\\');
    if (slash != std::string::npos) parentName = utf8.substr(slash + 1);
  }

  // Kept open until the message loop has ended.
  CFileStream self(exePath, CFileStream::kModeReadShared);
  int32_t downloadTime = 0;
  int64_t created = 0, accessed = 0, written = 0;
  if (self.GetFileTimes(&created, &accessed, &written) && written - created > 0)
    downloadTime = static_cast<int32_t>(written - created);

  ILoggerServer* logger = GetLoggerServer();
  logger->ClearProperties();
  GetLoggerServer()->SetBoolProperty("is_first_install", g_isFirstInstall);
  GetLoggerServer()->SetStringProperty("soft_package_name", packageName);
  GetLoggerServer()->SetIntProperty("download_time", downloadTime);
  GetLoggerServer()->SetStringProperty("parent_app_name", parentName);
  GetLoggerServer()->SetStringProperty("install_type", "安装器");
  GetLoggerServer()->TrackEvent("pSoftInstall");
  GetLoggerServer()->ReportLaunch(1, "", "", "");
  GetLoggerServer()->ReportLifecycle(4, "0001", "0001", packageName, "", {});

  WSADATA wsa;
  ::WSAStartup(MAKEWORD(1, 1), &wsa);
  // Both fetches run from the first moment: the main window may wait for the package version soon.
  if (!GetPkgInfo()) throw MorvelError("Get package information error");
  if (!GetServerInfo()) throw MorvelError("Get server information error");

  try {
    CreateFolders(GetSettingsFolder());
  } catch (...) {
  }

  auto window = std::make_unique<MainWindow>();
  if (window->Hwnd() && ::IsWindow(window->Hwnd())) {
    ::ShowWindow(window->Hwnd(), SW_SHOW);
    ::UpdateWindow(window->Hwnd());
  }

  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  window.reset();
}

}  // namespace

int RunInstaller(HINSTANCE instance) {
  ScopedHandle single(::CreateMutexW(nullptr, TRUE, kSingleInstanceMutex));
  if (::GetLastError() == ERROR_ALREADY_EXISTS) {
    single.Reset();
    FindContext ctx;
    ::EnumWindows(&FindMainWindow, reinterpret_cast<LPARAM>(&ctx));
    if (ctx.found) ::PostMessageW(ctx.found, kMsgBringToFront, 0, 0);
    // ExitProcess skips static destruction, which would otherwise remove the per-run folder made
    // before WinMain; without this every second start would leave one behind.
    RemoveRunFolder();
    ::ExitProcess(0);
  }
  try {
    StartAndRun(instance);
  } catch (...) {
  }
  ExitSequence();
  return 0;
}
