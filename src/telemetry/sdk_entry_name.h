// Which names from the SDK archive may be unpacked into the SDK folder. No Windows headers.
#pragma once
#include <string>

// True only for a plain file name: no folder part ("\" or "/"), no drive or stream part (":"), not "."
// or "..", no character Windows refuses in file names, not a device name (CON, NUL, COM1, ...) and not
// made only of dots and blanks (Windows strips trailing dots and blanks, so "..." would mean the folder
// itself). Anything else could make an archive entry land outside the SDK folder.
bool IsPlainEntryName(const std::wstring& name);
