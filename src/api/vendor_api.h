// The vendor API exchange: the package-info and channel-info holders, each filled once by its own
// fetch thread, and the installer-config exchange of the progress page's banner.
#pragma once
#include <cstdint>
#include <string>

enum FetchState : int32_t { Pending = 0, Ready = 1, Failed = 2 };

class IPkgInfo {
 public:
  virtual int32_t GetState() = 0;
  virtual int64_t GetSize() = 0;
  virtual int64_t GetInstallationSize() = 0;
  // Null when empty. The texts point into the holder, which is filled once and never changed after.
  virtual const char* GetVersionCode() = 0;
  virtual int32_t GetUrlCount() = 0;
  virtual const char* GetUrl(int32_t index) = 0;
  virtual const char* GetMd5() = 0;
  virtual void Clear() = 0;
  virtual ~IPkgInfo() = default;
};

class IServerInfo {
 public:
  virtual int32_t GetState() = 0;
  virtual const std::string& GetWelcomeUrl() = 0;
  virtual const std::string& GetAdvertisingAccountName() = 0;
  virtual bool GetTarnelOcpc() = 0;
  virtual const std::string& GetAppId() = 0;
  virtual const std::string& GetAppName() = 0;
  virtual void ClearWelcomeUrl() = 0;
  virtual ~IServerInfo() = default;
};

// Created on the first call, their fetch threads running at once; null when creation failed.
IPkgInfo* GetPkgInfo();
IServerInfo* GetServerInfo();

// One GET of the vendor API: the body of a 200 answer, or empty text for any failure.
// timeoutMs < 0 leaves the system's time-outs.
std::string RequestApiBody(const std::string& endpoint, const std::string& path, int32_t timeoutMs);

// The banner exchange: the image bytes the installer config names, or empty text (keep the built-in one).
std::string FetchBannerImage(const std::string& apiHost);
