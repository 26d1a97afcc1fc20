#include "platform/dyn_calls.h"

namespace dyn {
namespace {

template <class Fn>
void Bind(HMODULE module, const char* name, Fn& out) {
  if (module && !out) out = reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

Calls Load() {
  Calls c;
  HMODULE user32 = ::LoadLibraryW(L"user32");
  HMODULE kernel32 = ::LoadLibraryW(L"kernel32");
  HMODULE ntdll = ::LoadLibraryW(L"ntdll.dll");
  Bind(user32, "SetProcessDPIAware", c.SetProcessDPIAware);
  Bind(kernel32, "GetNativeSystemInfo", c.GetNativeSystemInfo);
  Bind(kernel32, "IsWow64Process", c.IsWow64Process);
  Bind(kernel32, "QueryFullProcessImageNameW", c.QueryFullProcessImageNameW);
  Bind(kernel32, "K32GetModuleFileNameExW", c.GetModuleFileNameExW);
  Bind(kernel32, "GetModuleFileNameExW", c.GetModuleFileNameExW);
  if (!c.GetModuleFileNameExW) Bind(::LoadLibraryW(L"Psapi"), "GetModuleFileNameExW", c.GetModuleFileNameExW);
  Bind(ntdll, "RtlGetNtVersionNumbers", c.RtlGetNtVersionNumbers);
  return c;
}

}  // namespace

const Calls& Get() {
  static const Calls calls = Load();
  return calls;
}

}  // namespace dyn
