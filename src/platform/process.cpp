#include "platform/process.h"

#include <tlhelp32.h>

#include <vector>

#include "platform/dyn_calls.h"

bool GetParentProcessId(DWORD pid, DWORD* parent) {
  ScopedHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return false;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL ok = ::Process32FirstW(snapshot.Get(), &entry); ok; ok = ::Process32NextW(snapshot.Get(), &entry)) {
    if (entry.th32ProcessID == pid) {
      *parent = entry.th32ParentProcessID;
      return true;
    }
  }
  return false;
}

bool GetProcessImagePath(DWORD pid, std::wstring* path) {
  ScopedHandle process(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
  if (!process) return false;
  wchar_t buffer[MAX_PATH] = {};
  DWORD size = ARRAYSIZE(buffer);
  const dyn::Calls& calls = dyn::Get();
  if (calls.QueryFullProcessImageNameW) {
    if (!calls.QueryFullProcessImageNameW(process.Get(), 0, buffer, &size)) return false;
  } else if (calls.GetModuleFileNameExW) {
    if (calls.GetModuleFileNameExW(process.Get(), nullptr, buffer, size) == 0) return false;
  } else {
    return false;
  }
  *path = buffer;
  return true;
}

bool CMorvelBasedProcess::Start() {
  if (process_) return true;
  STARTUPINFOW si{};
  ::GetStartupInfoW(&si);
  si.dwFlags |= STARTF_USESHOWWINDOW;
  si.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION pi{};
  std::vector<wchar_t> line(commandLine_.begin(), commandLine_.end());
  line.push_back(L'\0');
  if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return false;
  process_.Reset(pi.hProcess);
  thread_.Reset(pi.hThread);
  return true;
}

CMorvelBasedProcess::~CMorvelBasedProcess() {
  if (process_ && waitAtEnd_) ::WaitForSingleObject(process_.Get(), INFINITE);
  commandLine_.clear();
}
