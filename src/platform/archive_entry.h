// Which archive entry names may be unpacked into a folder (the SDK and the skin archives). No Windows
// headers.
#pragma once
#include <string>

// True only for a plain file name: no folder part ("\" or "/"), no drive or stream part (":"), not "."
// or "..", no character Windows refuses in file names, not a device name (CON, NUL, COM1, ...) and not
// made only of dots and blanks (Windows strips trailing dots and blanks, so "..." would mean the folder
// itself). Anything else could make an archive entry land outside the folder it is unpacked into.
bool IsPlainEntryName(const std::wstring& name);
