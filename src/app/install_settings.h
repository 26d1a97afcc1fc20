// config.ini, section "General": the launch context handed to the installed product, and the verified
// package copy remembered between runs. Written only through the private-profile functions, so keys stay
// in first-written order and rewritten values are replaced in place.
#pragma once
#include <string>

class InstallSettings {
 public:
  InstallSettings();  // config.ini in the settings folder
  explicit InstallSettings(const std::wstring& file);

  // Start-up values.
  void SetBeginTimestamp(const std::wstring& value);
  void SetLaunchAppName(const std::wstring& value);  // only when non-empty

  // Finished page. SetInstall and SetIsSem always write; the others skip an empty value.
  void SetInstall();
  void SetEndTimestamp(const std::wstring& value);
  void SetIsSem(bool flag);
  void SetCam(const std::wstring& value);
  void SetChannelId(const std::wstring& value);
  void SetMid(const std::wstring& value);
  void SetAppId(const std::wstring& value);
  void SetAppVersion(const std::wstring& value);
  void SetAdvertisingAccountName(const std::wstring& value);
  void SetSessionId(const std::wstring& value);
  void SetWelcomeUrl(const std::wstring& value);

  // Remembers the package at `path` when its digest equals `md5` (case-sensitive); otherwise forgets
  // any remembered package, emptying the file's lines even when noWrite is set.
  bool RememberPackage(const std::wstring& md5, const std::wstring& path, bool noWrite);

  const std::wstring& PackageMd5() const { return md5_; }
  const std::wstring& PackagePath() const { return path_; }
  const std::wstring& FilePath() const { return file_; }

 private:
  void Write(const wchar_t* key, const std::wstring& value);
  void Store(std::wstring& slot, const wchar_t* key, const std::wstring& value, bool skipEmpty);

  std::wstring md5_, path_, file_;
  std::wstring launchAppName_, isSem_, appId_, channelId_, mid_, install_, welcomeUrl_, beginTimestamp_,
      endTimestamp_, cam_, sessionId_, appVersion_, advertisingAccountName_;
};

InstallSettings& GetInstallSettings();

// The settings folder: the application-data folder + "VXImgConverter\".
std::wstring GetSettingsFolder();
