// Test helper run under Wine next to the installer: plays the other side of window-message exchanges.
//   wintool fake-first CLASS PROGRAM [ARGS...]  create the single-instance mutex and a window of CLASS,
//                                               run PROGRAM, print "posted 0x80ff" for each such message
//                                               received, then "exit N" with its exit code
//   wintool hold-mutex PROGRAM [ARGS...]        the same without any window
//   wintool run PROGRAM [ARGS...]               only run PROGRAM (so that its parent is a known program)
//   wintool wait-window CLASS SECONDS           exit 0 once a top-level window of CLASS exists
//   wintool close CLASS                         post WM_CLOSE to the window of CLASS
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

const wchar_t* kMutex = L"MorvelPkg-Event-B81D4A07-6C2E-4E95-A3F0-7D19C5B2E864";
int g_posted = 0;

LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_APP + 255) ++g_posted;
  return DefWindowProcW(h, m, w, l);
}

std::wstring JoinCommand(int argc, wchar_t** argv, int from) {
  std::wstring line;
  for (int i = from; i < argc; ++i) {
    if (!line.empty()) line += L' ';
    line += L'"';
    line += argv[i];
    line += L'"';
  }
  return line;
}

int RunAndPump(const std::wstring& command) {
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::wstring line = command;
  if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    std::printf("cannot start (error %lu)\n", GetLastError());
    return 2;
  }
  for (;;) {
    DWORD r = MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, 60000, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    if (r != WAIT_OBJECT_0 + 1) break;
  }
  // Messages posted just before the child ended are still in the queue.
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  for (int i = 0; i < g_posted; ++i) std::printf("posted 0x80ff\n");
  std::printf("exit %lu\n", code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  std::wstring verb = argv[1];
  if (verb == L"fake-first" && argc >= 4) {
    HANDLE mutex = CreateMutexW(nullptr, TRUE, kMutex);
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = argv[2];
    RegisterClassW(&wc);
    HWND h = CreateWindowW(argv[2], L"first", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
    int rc = RunAndPump(JoinCommand(argc, argv, 3));
    DestroyWindow(h);
    CloseHandle(mutex);
    return rc;
  }
  if (verb == L"hold-mutex" && argc >= 3) {
    HANDLE mutex = CreateMutexW(nullptr, TRUE, kMutex);
    int rc = RunAndPump(JoinCommand(argc, argv, 2));
    CloseHandle(mutex);
    return rc;
  }
  if (verb == L"run" && argc >= 3) return RunAndPump(JoinCommand(argc, argv, 2));
  if (verb == L"wait-window" && argc == 4) {
    DWORD until = GetTickCount() + 1000u * static_cast<DWORD>(_wtoi(argv[3]));
    while (GetTickCount() < until) {
      if (FindWindowW(argv[2], nullptr)) return 0;
      Sleep(100);
    }
    return 1;
  }
  if (verb == L"close" && argc == 3) {
    HWND h = FindWindowW(argv[2], nullptr);
    return h && PostMessageW(h, WM_CLOSE, 0, 0) ? 0 : 1;
  }
  return 2;
}
