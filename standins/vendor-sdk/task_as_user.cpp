// Stand-in for "TaskAsUser.dll", which some other program may put into the SDK folder. Its one export
// opens a file through the shell (in a test prefix the desktop user is the current user) and notes the
// call in calls.jsonl next to itself.
#include <windows.h>

#include <shellapi.h>

#include <string>

#include "sdk_log.h"

namespace {

std::wstring Wide(const char* utf8) {
  if (!utf8 || !*utf8) return std::wstring();
  wchar_t buffer[2048] = {};
  ::MultiByteToWideChar(CP_UTF8, 0, utf8, -1, buffer, 2047);
  return buffer;
}

}  // namespace

extern "C" __cdecl int ShellExecAsUser(const char* verb, const char* file, const char* parameters,
                                       const char* directory, int showCommand) {
  auto text = [](const char* s) { return s ? std::string(s) : std::string(); };
  yelklog::Append(yelklog::FolderOf(reinterpret_cast<const void*>(&ShellExecAsUser)), L"calls.jsonl",
                  yelklog::Line()
                      .Int("pid", ::GetCurrentProcessId())
                      .Text("call", "ShellExecAsUser")
                      .Text("verb", text(verb))
                      .Text("file", text(file))
                      .Text("parameters", text(parameters))
                      .Text("directory", text(directory))
                      .Int("show", showCommand)
                      .Finish());
  std::wstring v = Wide(verb), f = Wide(file), p = Wide(parameters), d = Wide(directory);
  HINSTANCE result = ::ShellExecuteW(nullptr, v.c_str(), f.c_str(), p.empty() ? nullptr : p.c_str(),
                                     d.empty() ? nullptr : d.c_str(), showCommand);
  return reinterpret_cast<INT_PTR>(result) > 32 ? 1 : 0;
}

#ifdef TASK_AS_USER_WITHOUT_EXPORT
// The test variant exports only this, not ShellExecAsUser.
extern "C" __cdecl int TaskAsUserVersion() { return 1; }
#endif
