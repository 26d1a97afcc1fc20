// Stand-in for the SDK's helper program "Yelk.exe". The installer only unpacks it and never starts it;
// when something does start it, it notes its command line in calls.jsonl next to itself and ends.
#include <windows.h>

#include <shellapi.h>

#include <string>

#include "sdk_log.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int argc = 0;
  LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
  std::string args = "[";
  for (int i = 1; argv && i < argc; ++i) {
    char utf8[2048] = {};
    ::WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, utf8, sizeof utf8, nullptr, nullptr);
    if (args.size() > 1) args += ',';
    args += yelklog::Quote(utf8);
  }
  if (argv) ::LocalFree(argv);
  yelklog::Append(yelklog::FolderOf(reinterpret_cast<const void*>(&wWinMain)), L"calls.jsonl",
                  yelklog::Line()
                      .Int("pid", ::GetCurrentProcessId())
                      .Text("call", "Yelk.exe")
                      .Raw("args", args + "]")
                      .Finish());
  return 0;
}
