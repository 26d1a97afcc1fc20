#include "platform/files.h"

#include <gtest/gtest.h>

#include "platform/md5.h"
#include "scratch.h"

TEST(Folders, CreateIterateDelete) {
  ScratchFolder dir;
  const std::wstring deep = dir / L"a\\b/c";
  EXPECT_TRUE(CreateFolders(deep));
  EXPECT_TRUE(CreateFolders(deep));  // already there: still true
  EXPECT_TRUE(FolderExists(deep));
  EXPECT_FALSE(FileExists(deep));
  WriteFileBytes(dir / L"a\\b\\f.txt", "x");
  WriteFileBytes(dir / L"a\\g.txt", "yy");
  EXPECT_TRUE(FileExists(dir / L"a\\g.txt"));
  EXPECT_EQ(GetFileSize(dir / L"a\\g.txt"), 2);
  EXPECT_EQ(GetFileSize(dir / L"a\\missing"), 0);

  std::vector<std::wstring> names;
  FolderIterator it(dir / L"a", L"*");
  while (it.Next()) names.push_back(it.Name() + (it.IsFolder() ? L"/" : L""));
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::wstring>{L"b/", L"g.txt"}));

  FolderIterator none(dir / L"nothing-here", L"*");
  EXPECT_FALSE(none.Next());

  EXPECT_TRUE(DeleteTree(dir / L"a"));
  EXPECT_FALSE(FolderExists(dir / L"a"));
}

TEST(Folders, DeleteTreeOfAFileOrNothing) {
  ScratchFolder dir;
  WriteFileBytes(dir / L"lone", "z");
  EXPECT_TRUE(DeleteTree(dir / L"lone"));
  EXPECT_FALSE(FileExists(dir / L"lone"));
  EXPECT_TRUE(DeleteTree(dir / L"never-was"));
  EXPECT_FALSE(DeleteTree(L""));
}

TEST(Paths, FolderAndFileNameParts) {
  EXPECT_EQ(GetFolderPart(L"C:\\x\\y\\setup.exe"), L"C:\\x\\y\\");
  EXPECT_EQ(GetFileNamePart(L"C:\\x\\y\\setup.exe"), L"setup.exe");
  EXPECT_EQ(GetFileNamePart(L"C:\\x\\y\\"), L"");
}

TEST(FreeSpace, FixedDriveHasSomeAndUnknownDrivesNone) {
  EXPECT_GT(GetFreeSpace(L"C:\\windows"), 0);
  EXPECT_EQ(GetFreeSpace(L"Q:\\nowhere"), 0);
  EXPECT_EQ(GetFreeSpace(L"\\\\server\\share\\x"), 0);
  EXPECT_EQ(GetFreeSpace(L"D:\\"), 0);  // the test prefix maps D: as an optical drive
}

TEST(Md5HexOfFile, DigestOfContentsEmptyForNoneOrEmpty) {
  ScratchFolder dir;
  std::string big(10000, 'q');
  WriteFileBytes(dir / L"big", big);
  WriteFileBytes(dir / L"empty", "");
  EXPECT_EQ(Md5HexOfFile(dir / L"big"), Md5Hex(big.data(), static_cast<int64_t>(big.size())));
  EXPECT_EQ(Md5HexOfFile(dir / L"empty"), "");
  EXPECT_EQ(Md5HexOfFile(dir / L"missing"), "");
}

TEST(InstallerFolders, AppDataAndRunFolder) {
  std::wstring app = GetAppDataFolder();
  ASSERT_FALSE(app.empty());
  EXPECT_EQ(app.substr(app.size() - 9), L"VexraPkg\\");
  EXPECT_TRUE(FolderExists(app));
  const std::wstring& run = GetRunFolder();
  ASSERT_FALSE(run.empty());
  EXPECT_NE(run.find(L"MorvelPkg_"), std::wstring::npos);
  EXPECT_EQ(run.back(), L'\\');
  EXPECT_TRUE(FolderExists(run));
  RemoveRunFolder();
  EXPECT_FALSE(FolderExists(run));
}
