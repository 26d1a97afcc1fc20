#include "app/install_settings.h"

#include <windows.h>

#include <vector>

#include "platform/encoding.h"
#include "platform/files.h"

namespace {
constexpr const wchar_t* kSection = L"General";
}

std::wstring GetSettingsFolder() { return GetAppDataFolder() + L"VXImgConverter\\"; }

InstallSettings::InstallSettings() : InstallSettings(GetSettingsFolder() + L"config.ini") {}

InstallSettings::InstallSettings(const std::wstring& file) : file_(file) {
  if (FileExists(file_)) {
    std::vector<wchar_t> buffer(1024, L'\0');
    ::GetPrivateProfileStringW(kSection, L"md5", L"", buffer.data(), 1023, file_.c_str());
    std::wstring md5 = buffer.data();
    std::fill(buffer.begin(), buffer.end(), L'\0');
    ::GetPrivateProfileStringW(kSection, L"path", L"", buffer.data(), 1023, file_.c_str());
    std::wstring path = buffer.data();
    RememberPackage(md5, path, true);
  } else {
    Write(L"md5", L"");
    Write(L"path", L"");
  }
}

void InstallSettings::Write(const wchar_t* key, const std::wstring& value) {
  ::WritePrivateProfileStringW(kSection, key, value.c_str(), file_.c_str());
}

void InstallSettings::Store(std::wstring& slot, const wchar_t* key, const std::wstring& value, bool skipEmpty) {
  if (skipEmpty && value.empty()) return;
  slot = value;
  Write(key, value);
}

void InstallSettings::SetBeginTimestamp(const std::wstring& v) { Store(beginTimestamp_, L"begin_timestamp", v, false); }
void InstallSettings::SetLaunchAppName(const std::wstring& v) { Store(launchAppName_, L"launch_appname", v, true); }
void InstallSettings::SetInstall() { Store(install_, L"install", L"1", false); }
void InstallSettings::SetEndTimestamp(const std::wstring& v) { Store(endTimestamp_, L"end_timestamp", v, true); }
void InstallSettings::SetIsSem(bool flag) { Store(isSem_, L"is_sem", flag ? L"1" : L"0", false); }
void InstallSettings::SetCam(const std::wstring& v) { Store(cam_, L"cam", v, true); }
void InstallSettings::SetChannelId(const std::wstring& v) { Store(channelId_, L"channel_id", v, true); }
void InstallSettings::SetMid(const std::wstring& v) { Store(mid_, L"mid", v, true); }
void InstallSettings::SetAppId(const std::wstring& v) { Store(appId_, L"app_id", v, true); }
void InstallSettings::SetAppVersion(const std::wstring& v) { Store(appVersion_, L"app_version", v, true); }
void InstallSettings::SetAdvertisingAccountName(const std::wstring& v) {
  Store(advertisingAccountName_, L"advertising_account_name", v, true);
}
void InstallSettings::SetSessionId(const std::wstring& v) { Store(sessionId_, L"session_id", v, true); }
void InstallSettings::SetWelcomeUrl(const std::wstring& v) { Store(welcomeUrl_, L"welcome_url", v, true); }

bool InstallSettings::RememberPackage(const std::wstring& md5, const std::wstring& path, bool noWrite) {
  try {
    if (md5.empty() || path.empty()) return false;
    std::wstring digest = Utf8ToWide(Md5HexOfFile(path));
    if (digest == md5) {
      if (md5_ != md5 || path_ != path) {
        md5_ = md5;
        path_ = path;
        if (!noWrite) {
          Write(L"md5", md5_);
          Write(L"path", path_);
        }
      }
      return true;
    }
    if (!md5_.empty() || !path_.empty()) {
      Write(L"md5", L"");
      Write(L"path", L"");
    }
    md5_.clear();
    path_.clear();
    return false;
  } catch (...) {
    return false;
  }
}

InstallSettings& GetInstallSettings() {
  static InstallSettings settings;
  return settings;
}
