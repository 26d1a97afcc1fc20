// The stand-in SDK's record log: JSON lines appended to files in the folder the library was loaded
// from, so that tests and the demo can read back exactly what the installer handed over.
#pragma once
#include <windows.h>

#include <string>

namespace yelklog {

// One JSON object, written key by key. Texts are UTF-8; bytes that are not valid UTF-8 are written as
// \u00XX escapes (their Latin-1 reading) so that every line stays valid JSON.
class Line {
 public:
  Line& Int(const char* key, long long value);
  Line& Text(const char* key, const std::string& value);
  Line& Raw(const char* key, const std::string& json);  // an already formatted JSON value
  std::string Finish() const { return body_ + "}\n"; }

 private:
  void Key(const char* key);
  std::string body_ = "{";
};

std::string Quote(const std::string& text);
std::string Hex(const std::string& bytes);

// The folder (with a trailing backslash) of the module that contains `address`.
std::wstring FolderOf(const void* address);

// Appends one finished line to folder + name, flushed before returning. Safe across threads: appends
// are serialised inside the process, and the file is opened for appending only, so writers in other
// processes never overwrite each other's lines.
void Append(const std::wstring& folder, const wchar_t* name, const std::string& line);

// The environment variable's value as UTF-8; empty when it is not set.
std::string Env(const wchar_t* name);

}  // namespace yelklog
