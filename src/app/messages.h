// The installer's application window messages (one catalogue for every window).
#pragma once
#include <windows.h>

constexpr UINT kMsgBringToFront = WM_APP + 255;  // a second instance asks the first to come forward

constexpr const wchar_t* kSingleInstanceMutex = L"MorvelPkg-Event-B81D4A07-6C2E-4E95-A3F0-7D19C5B2E864";
constexpr const wchar_t* kMainWindowClass = L"MorvelPkg-Window-B81D4A07-6C2E-4E95-A3F0-7D19C5B2E864";

// The progress page's setup runner reports (posted to the page's window).
constexpr UINT kMsgInstallFailed = WM_APP + 119;
constexpr UINT kMsgProgressTick = WM_APP + 123;
