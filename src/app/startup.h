#pragma once
#include <windows.h>

// The whole run, from the single-instance check to the exit sequence; returns WinMain's result.
int RunInstaller(HINSTANCE instance);
