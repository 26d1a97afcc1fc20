#include "app/setup_runner.h"

#include <mmsystem.h>

#include "app/messages.h"
#include "download/url_rules.h"
#include "telemetry/logger_server.h"

namespace {

void Post(HWND page, UINT message) {
  if (page) ::PostMessageW(page, message, 0, 0);
}

}  // namespace

void StartSetupStep(SetupRunState& state, const std::wstring& setupPath, HWND page) {
  state.process.reset(new CMorvelBasedProcess(BuildSetupCommandLine(setupPath, state.installFolder, state.joinPlan)));
  state.startError = 0;
  state.installDone = false;
  if (!state.process->Start()) {
    state.startError = ::GetLastError();
    // A start that failed without an error code still must not read as exit code 0.
    if (state.startError == 0) state.startError = 0xFFFFFFFFu;
  }
  GetLoggerServer()->ClearProperties();
  GetLoggerServer()->TrackEvent("vSoftInstallStart");
  state.installStart = ::timeGetTime();
  state.installing = true;
  Post(page, kMsgProgressTick);
}

SetupOutcome WatchSetupStep(SetupRunState& state, HWND page) {
  if (!state.installing) return SetupOutcome::kFailed;
  if (!state.process) return state.installDone ? SetupOutcome::kSucceeded : SetupOutcome::kFailed;
  HANDLE process = state.process->ProcessHandle();
  if (process && ::WaitForSingleObject(process, 1) == WAIT_TIMEOUT) {
    Post(page, kMsgProgressTick);
    return SetupOutcome::kRunning;
  }
  DWORD code = state.startError;
  if (process && !::GetExitCodeProcess(process, &code)) code = ::GetLastError() ? ::GetLastError() : 0xFFFFFFFFu;
  state.process.reset();
  state.exitCode = code;
  if (code == 0) {
    state.installDone = true;
    Post(page, kMsgProgressTick);
    return SetupOutcome::kSucceeded;
  }
  state.installing = false;
  GetLoggerServer()->ClearProperties();
  GetLoggerServer()->SetStringProperty("error_status", FormatExitCode(code));
  GetLoggerServer()->TrackEvent("vSoftInstallError");
  Post(page, kMsgInstallFailed);
  return SetupOutcome::kFailed;
}
