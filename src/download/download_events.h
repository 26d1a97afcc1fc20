// The download engine's analytics reports: every failure is "vSoftDownloadError" with two texts.
#pragma once
#include <string>

constexpr const char* kQueryThreadError = "获取下载信息线程出错";
constexpr const char* kDownloadThreadError = "下载线程出错";

void SendDownloadError(const std::string& errorType, const std::string& errorStatus);
