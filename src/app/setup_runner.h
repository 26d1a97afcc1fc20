// Running the downloaded package's setup program silently and turning its end into the outcome of the
// installation. The steps run on the progress page's timer thread under the page's lock.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "platform/process.h"

struct SetupRunState {
  std::wstring installFolder;
  bool joinPlan = true;
  std::unique_ptr<CMorvelBasedProcess> process;
  DWORD installStart = 0;  // timeGetTime() when the setup was started
  bool installing = false;
  bool installDone = false;
  DWORD startError = 0;     // the system's error when the setup program could not be started
  uint32_t exitCode = 0;    // the setup's exit code once it ended
};

enum class SetupOutcome { kRunning, kSucceeded, kFailed };

// Builds the command line, starts the setup, sends "vSoftInstallStart" and posts the progress tick.
void StartSetupStep(SetupRunState& state, const std::wstring& setupPath, HWND page);

// One tick while installing. kFailed means "vSoftInstallError" was sent and kMsgInstallFailed posted;
// the page then stops its timer. A setup program that could not be started fails the installation
// with the system's error code.
SetupOutcome WatchSetupStep(SetupRunState& state, HWND page);
