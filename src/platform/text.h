// Text utilities shared by every subsystem. No Windows headers: built and tested natively too.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Pieces between any of the separator characters, in order; empty pieces are dropped.
std::vector<std::string> SplitAny(const std::string& text, const std::string& separators);
std::vector<std::wstring> SplitAny(const std::wstring& text, const std::wstring& separators);

// "%lld" reading: leading blanks skipped, stops at the first non-digit, 0 when nothing can be read.
int64_t ParseInt64(const std::string& text);
std::string FormatInt64(int64_t value);

std::string TrimLeft(const std::string& text, const std::string& set);
std::wstring TrimLeft(const std::wstring& text, const std::wstring& set);
std::wstring TrimRight(const std::wstring& text, const std::wstring& set);

// First position of `part` at or after `start`; -1 when absent, when start is past the end or part is empty.
int64_t FindText(const std::string& text, const std::string& part, size_t start);
// Wide form: searches from the beginning; -1 also for an empty text.
int64_t FindText(const std::wstring& text, const std::wstring& part);

std::string ToUpperAscii(const std::string& text);
std::wstring RemoveAll(const std::wstring& text, const std::wstring& part);

// The three characters at position 9 of an HTTP status line longer than 11 characters.
std::string HttpStatusText(const std::string& statusLine);

// Path texts (no file system access).
std::wstring EnsureTrailingSeparator(const std::wstring& path);
std::wstring GetExtension(const std::wstring& path);
bool IsValidInstallPath(const std::wstring& path);

// Seconds since 1970-01-01 UTC.
int64_t NowSeconds();
