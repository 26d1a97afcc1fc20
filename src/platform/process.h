// The parent process and child processes.
#pragma once
#include <windows.h>

#include <string>

#include "platform/scoped.h"

bool GetParentProcessId(DWORD pid, DWORD* parent);
bool GetProcessImagePath(DWORD pid, std::wstring* path);

// A child process started with a command line, its window hidden; the destructor waits for it.
class CMorvelBasedProcess {
 public:
  explicit CMorvelBasedProcess(const std::wstring& commandLine) : commandLine_(commandLine) {}
  virtual ~CMorvelBasedProcess();
  CMorvelBasedProcess(const CMorvelBasedProcess&) = delete;
  CMorvelBasedProcess& operator=(const CMorvelBasedProcess&) = delete;

  bool Start();
  HANDLE ProcessHandle() const { return process_.Get(); }
  const std::wstring& CommandLine() const { return commandLine_; }

 private:
  bool waitAtEnd_ = true;
  ScopedHandle process_, thread_;
  std::wstring commandLine_;
};
