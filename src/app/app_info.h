// What the installer knows about installed software: the product's executable and version resources.
#pragma once
#include <string>

constexpr const wchar_t* kUninstallKey =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{5E7B2C19-0D4A-4F63-9B81-C3A6E2D07F45}_is1";

class IAppInfo {
 public:
  virtual bool Refresh() = 0;
  virtual const std::wstring& GetInstalledExePath() = 0;
  virtual const std::wstring& GetInstalledVersion() = 0;
  // "ProductVersion" of `file`'s version resource (the installer's own when empty); empty when none.
  virtual std::wstring GetProductVersion(const std::wstring& file) = 0;
};

class CAppInfo : public IAppInfo {
 public:
  bool Refresh() override;
  const std::wstring& GetInstalledExePath() override { return exePath_; }
  const std::wstring& GetInstalledVersion() override { return version_; }
  std::wstring GetProductVersion(const std::wstring& file) override;

 private:
  std::wstring exePath_, version_;
};

// The process-wide application info, created (and refreshed once) on the first call; null when that
// creation failed.
IAppInfo* GetAppInfo();
