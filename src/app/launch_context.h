// The launch context carried by the installer's own file name and version resource. No Windows headers.
#pragma once
#include <string>

// UTF-8 executable path -> text after the last backslash without its last four bytes (the extension);
// a tail shorter than four stays whole; empty without a backslash.
std::string PackageNameFromPath(const std::string& exePathUtf8);

// "setup_2_Uab12cd34" -> "ab12cd34": everything after the second underscore, one leading capital U
// skipped, at most 8 bytes.
std::string ChannelFromPackageName(const std::string& packageName);

// A ProductVersion whose four non-empty dot-separated pieces have 96..99 as the second one names a
// store channel; otherwise `channel` is returned unchanged.
std::string ChannelWithVersionOverride(const std::string& channel, const std::string& productVersionUtf8);
