// System queries.
#pragma once
#include <windows.h>

// 0 XP, 1 Vista, 2 Windows 7, 3 Windows 7 with a service pack, 4 Windows 8/8.1, 5 Windows 10 and later,
// 6 anything else. Computed once.
int GetOsVersionClass();
bool Is64BitWindows();
// Physical to logical horizontal resolution of the desktop; the logical DPI / 96 when that ratio is 1.
double GetDpiRatio(HDC screen);

// The module instance WinMain was given; window classes are registered with it.
void SetModuleInstance(HINSTANCE instance);
HINSTANCE GetModuleInstance();

// The multimedia timer's callback: `user` points at a TimerTarget.
struct TimerTarget {
  void (*function)(void* argument);
  void* argument;
};
void CALLBACK TimerTrampoline(UINT id, UINT msg, DWORD_PTR user, DWORD_PTR, DWORD_PTR);
