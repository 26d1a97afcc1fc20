#include "app/install_settings.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "../platform/scratch.h"
#include "platform/md5.h"

namespace {

std::string ReadAll(const std::wstring& path) {
  HANDLE h = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  std::string out(1 << 16, '\0');
  DWORD got = 0;
  ::ReadFile(h, &out[0], static_cast<DWORD>(out.size()), &got, nullptr);
  ::CloseHandle(h);
  out.resize(got);
  return out;
}

}  // namespace

TEST(InstallSettings, NewFileGetsEmptyMd5AndPathThenKeysInFirstWrittenOrder) {
  ScratchFolder dir;
  InstallSettings s(dir / L"config.ini");
  EXPECT_EQ(ReadAll(dir / L"config.ini"), "[General]\r\nmd5=\r\npath=\r\n");
  s.SetBeginTimestamp(L"1700000000");
  s.SetLaunchAppName(L"");  // empty: not written
  s.SetInstall();
  s.SetIsSem(false);
  s.SetCam(L"");
  s.SetChannelId(L"ab12cd34");
  s.SetBeginTimestamp(L"1700000001");  // replaced in place
  s.SetIsSem(true);
  EXPECT_EQ(ReadAll(dir / L"config.ini"),
            "[General]\r\nmd5=\r\npath=\r\nbegin_timestamp=1700000001\r\ninstall=1\r\nis_sem=1\r\n"
            "channel_id=ab12cd34\r\n");
}

TEST(InstallSettings, RemembersAPackageOnlyWhileItsDigestMatches) {
  ScratchFolder dir;
  const std::string bytes = "package bytes";
  const std::wstring package = dir / L"pkg.exe";
  WriteFileBytes(package, bytes);
  const std::string md5 = Md5Hex(bytes.data(), static_cast<int64_t>(bytes.size()));
  const std::wstring wmd5(md5.begin(), md5.end());
  const std::wstring ini = dir / L"config.ini";

  const struct {
    std::wstring recordedMd5;
    bool remembered;
  } cases[] = {
      {wmd5, true},
      {std::wstring(wmd5.begin(), wmd5.end() - 1) + L"0", false},
      {L"", false},
  };
  for (const auto& c : cases) {
    const std::string file = "[General]\r\nmd5=" + std::string(c.recordedMd5.begin(), c.recordedMd5.end()) +
                             "\r\npath=" + std::string(package.begin(), package.end()) + "\r\n";
    WriteFileBytes(ini, file);
    InstallSettings s(ini);
    EXPECT_EQ(s.PackageMd5().empty(), !c.remembered);
    EXPECT_EQ(s.PackagePath(), c.remembered ? package : L"");
    EXPECT_EQ(ReadAll(ini), file) << "creation never rewrites the lines";
  }

  // Upper-case hex never matches the computed digest.
  std::wstring upper = wmd5;
  for (auto& ch : upper) ch = static_cast<wchar_t>(towupper(ch));
  InstallSettings s(ini);
  EXPECT_FALSE(s.RememberPackage(upper, package, false));

  // Remembering writes the lines; a later mismatch empties them.
  EXPECT_TRUE(s.RememberPackage(wmd5, package, false));
  EXPECT_NE(ReadAll(ini).find("md5=" + md5), std::string::npos);
  WriteFileBytes(package, "changed");
  EXPECT_FALSE(s.RememberPackage(wmd5, package, true));
  EXPECT_NE(ReadAll(ini).find("md5=\r\npath=\r\n"), std::string::npos);
  EXPECT_TRUE(s.PackageMd5().empty());
  EXPECT_FALSE(s.RememberPackage(L"", package, false));
}
