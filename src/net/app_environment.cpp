#include "net/app_environment.h"

namespace {
AppEnvironment* g_environment = nullptr;
}

void AppEnvironment::SetChannel(const std::string& channel) {
  CXMutexLock lock(mutex_);
  channel_ = channel;
}

std::string AppEnvironment::GetChannel() {
  CXMutexLock lock(mutex_);
  return channel_;
}

AppEnvironment* GetAppEnvironment() { return g_environment; }

void CreateAppEnvironment() {
  if (!g_environment) g_environment = new AppEnvironment();
}

void DeleteAppEnvironment() {
  delete g_environment;
  g_environment = nullptr;
}
