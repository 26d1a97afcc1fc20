// System functions that older Windows versions lack, looked up once at run time and called through
// typed pointers. A null pointer means the system does not have it.
#pragma once
#include <windows.h>

namespace dyn {

using SetProcessDPIAwareFn = BOOL(WINAPI*)();
using GetNativeSystemInfoFn = void(WINAPI*)(LPSYSTEM_INFO);
using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
using QueryFullProcessImageNameWFn = BOOL(WINAPI*)(HANDLE, DWORD, LPWSTR, PDWORD);
using GetModuleFileNameExWFn = DWORD(WINAPI*)(HANDLE, HMODULE, LPWSTR, DWORD);
using RtlGetNtVersionNumbersFn = void(WINAPI*)(DWORD*, DWORD*, DWORD*);

struct Calls {
  SetProcessDPIAwareFn SetProcessDPIAware = nullptr;
  GetNativeSystemInfoFn GetNativeSystemInfo = nullptr;
  IsWow64ProcessFn IsWow64Process = nullptr;
  QueryFullProcessImageNameWFn QueryFullProcessImageNameW = nullptr;
  GetModuleFileNameExWFn GetModuleFileNameExW = nullptr;  // kernel32 first, else psapi
  RtlGetNtVersionNumbersFn RtlGetNtVersionNumbers = nullptr;
};

// Looked up on the first call; the modules stay loaded for the rest of the run.
const Calls& Get();

}  // namespace dyn
