// Stand-in for the product's setup program (a silent Inno Setup build) and, once installed, for the
// product itself. As setup it accepts /SILENT /VERYSILENT /SP- /noicons /DIR="folder" and the product's
// own -noexperience and -nowelcome, copies itself into the folder as the product's executable, writes
// the product's uninstall entry, records the command line it was given and exits with the code the
// test scenario chose:
//   VEXRA_SETUP_EXIT_CODE  exit code (decimal, may be negative; default 0)
//   VEXRA_SETUP_DELAY_MS   time to take before exiting (default 0)
//   VEXRA_SETUP_RECORD     file that receives the switches (default <DIR>\setup-switches.txt)
// Run without /DIR it acts as the installed product: prints its path and exits 0.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const wchar_t kUninstallKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{5E7B2C19-0D4A-4F63-9B81-C3A6E2D07F45}_is1";
const wchar_t kProductExe[] = L"VexraImgConverter.exe";

std::wstring Env(const wchar_t* name) {
  wchar_t buffer[2048];
  DWORD n = ::GetEnvironmentVariableW(name, buffer, 2048);
  return n > 0 && n < 2048 ? std::wstring(buffer, n) : std::wstring();
}

// The text after /DIR= up to the closing quote (or the next blank when unquoted).
std::wstring DirSwitch(const std::wstring& line) {
  size_t at = line.find(L"/DIR=");
  if (at == std::wstring::npos) return std::wstring();
  at += 5;
  if (at < line.size() && line[at] == L'"') {
    size_t end = line.find(L'"', at + 1);
    return line.substr(at + 1, end == std::wstring::npos ? std::wstring::npos : end - at - 1);
  }
  size_t end = line.find(L' ', at);
  return line.substr(at, end == std::wstring::npos ? std::wstring::npos : end - at);
}

bool Has(const std::wstring& line, const wchar_t* word) {
  return line.find(word) != std::wstring::npos;
}

void WriteUtf8(const std::wstring& path, const std::wstring& text) {
  int n = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(n, '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &bytes[0], n, nullptr, nullptr);
  HANDLE f = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return;
  DWORD done = 0;
  ::WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
  ::CloseHandle(f);
}

void CreateFolderTree(const std::wstring& folder) {
  for (size_t i = 3; i <= folder.size(); ++i) {
    if (i == folder.size() || folder[i] == L'\\') ::CreateDirectoryW(folder.substr(0, i).c_str(), nullptr);
  }
}

bool WriteUninstallEntry(const std::wstring& exe, const std::wstring& folder) {
  HKEY key = nullptr;
  if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS) {
    return false;
  }
  auto set = [&](const wchar_t* name, const std::wstring& value) {
    ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  };
  set(L"DisplayIcon", exe);
  set(L"DisplayName", L"Vexra图片格式转换器");
  set(L"InstallLocation", folder);
  set(L"UninstallString", L"\"" + folder + L"\\unins000.exe\"");
  ::RegCloseKey(key);
  return true;
}

}  // namespace

int wmain() {
  std::wstring line = ::GetCommandLineW();
  wchar_t self[MAX_PATH];
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring folder = DirSwitch(line);
  if (folder.empty()) {
    std::printf("stand-in product running\n");
    return 0;
  }
  while (!folder.empty() && folder.back() == L'\\') folder.pop_back();

  std::wstring record = Env(L"VEXRA_SETUP_RECORD");
  std::wstring delay = Env(L"VEXRA_SETUP_DELAY_MS");
  std::wstring code = Env(L"VEXRA_SETUP_EXIT_CODE");
  int exitCode = code.empty() ? 0 : static_cast<int>(std::wcstol(code.c_str(), nullptr, 10));

  CreateFolderTree(folder);
  std::wstring exe = folder + L"\\" + kProductExe;
  bool copied = ::CopyFileW(self, exe.c_str(), FALSE) != 0;
  bool registered = copied && exitCode == 0 && WriteUninstallEntry(exe, folder);

  std::wstring report = L"command_line=" + line + L"\n";
  report += std::wstring(L"silent=") + (Has(line, L" /SILENT ") ? L"1" : L"0") + L"\n";
  report += std::wstring(L"verysilent=") + (Has(line, L" /VERYSILENT ") ? L"1" : L"0") + L"\n";
  report += std::wstring(L"sp=") + (Has(line, L" /SP- ") ? L"1" : L"0") + L"\n";
  report += std::wstring(L"noicons=") + (Has(line, L" /noicons ") ? L"1" : L"0") + L"\n";
  report += std::wstring(L"noexperience=") + (Has(line, L"-noexperience ") ? L"1" : L"0") + L"\n";
  report += std::wstring(L"nowelcome=") + (Has(line, L"-nowelcome ") ? L"1" : L"0") + L"\n";
  report += L"dir=" + folder + L"\n";
  report += std::wstring(L"installed=") + (copied ? L"1" : L"0") + L"\n";
  report += std::wstring(L"registered=") + (registered ? L"1" : L"0") + L"\n";
  WriteUtf8(record.empty() ? folder + L"\\setup-switches.txt" : record, report);

  if (!delay.empty()) ::Sleep(static_cast<DWORD>(std::wcstoul(delay.c_str(), nullptr, 10)));
  return exitCode;
}
