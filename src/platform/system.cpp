#include "platform/system.h"

#include <cmath>

#include "platform/dyn_calls.h"

namespace {

HINSTANCE g_instance = nullptr;

int ComputeOsVersionClass() {
  OSVERSIONINFOEXW v{};
  v.dwOSVersionInfoSize = sizeof v;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&v))) return 6;
#pragma GCC diagnostic pop
  if (v.dwMajorVersion == 5 && v.dwMinorVersion == 1) return 0;
  if (v.dwMajorVersion == 6 && v.dwMinorVersion == 0) return 1;
  if (v.dwMajorVersion == 6 && v.dwMinorVersion == 1) return v.wServicePackMajor == 0 ? 2 : 3;
  if (v.dwMajorVersion > 6 || (v.dwMajorVersion == 6 && v.dwMinorVersion >= 2)) {
    // The ordinary query stops at 6.2 for programs without a compatibility manifest entry.
    DWORD major = 0, minor = 0, build = 0;
    if (auto fn = dyn::Get().RtlGetNtVersionNumbers) fn(&major, &minor, &build);
    else major = v.dwMajorVersion;
    return major == 10 ? 5 : 4;
  }
  return 6;
}

}  // namespace

int GetOsVersionClass() {
  static const int value = ComputeOsVersionClass();
  return value;
}

bool Is64BitWindows() {
  if (auto native = dyn::Get().GetNativeSystemInfo) {
    SYSTEM_INFO si{};
    native(&si);
    return si.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ||
           si.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_IA64;
  }
  BOOL wow = FALSE;
  if (auto isWow = dyn::Get().IsWow64Process) return isWow(::GetCurrentProcess(), &wow) && wow;
  return false;
}

double GetDpiRatio(HDC screen) {
  int logical = ::GetDeviceCaps(screen, HORZRES);
  int physical = ::GetDeviceCaps(screen, DESKTOPHORZRES);
  double ratio = logical > 0 ? static_cast<double>(physical) / logical : 1.0;
  if (std::fabs(ratio - 1.0) < 1e-8) ratio = ::GetDeviceCaps(screen, LOGPIXELSX) / 96.0;
  return ratio;
}

void CALLBACK TimerTrampoline(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
  auto* target = reinterpret_cast<TimerTarget*>(user);
  if (target && target->function) target->function(target->argument);
}

void SetModuleInstance(HINSTANCE instance) { g_instance = instance; }
HINSTANCE GetModuleInstance() { return g_instance ? g_instance : ::GetModuleHandleW(nullptr); }
