#include "telemetry/sdk_deploy.h"

#include <gtest/gtest.h>

#include <set>

#include "minizip/zip.h"
#include "minizip/iowin32.h"
#include "platform/error.h"
#include "platform/files.h"
#include "sdk_test_support.h"

namespace {

struct Entry {
  std::string name;  // as stored, in the system code page
  std::string bytes;
};

// Writes a deflated zip archive with exactly these entry names, whatever they look like.
void WriteZip(const std::wstring& path, const std::vector<Entry>& entries) {
  zlib_filefunc64_def io;
  fill_win32_filefunc64W(&io);
  zipFile zip = zipOpen2_64(path.c_str(), APPEND_STATUS_CREATE, nullptr, &io);
  ASSERT_TRUE(zip);
  for (const Entry& e : entries) {
    zip_fileinfo info{};
    ASSERT_EQ(zipOpenNewFileInZip64(zip, e.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                    Z_DEFAULT_COMPRESSION, 0),
              ZIP_OK);
    ASSERT_EQ(zipWriteInFileInZip(zip, e.bytes.data(), static_cast<unsigned>(e.bytes.size())), ZIP_OK);
    zipCloseFileInZip(zip);
  }
  zipClose(zip, nullptr);
}

std::string ReadAll(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every file below `folder`, as paths relative to it.
void ListFiles(const std::wstring& folder, const std::wstring& prefix, std::set<std::wstring>* out) {
  FolderIterator it(folder, L"*");
  while (it.Next()) {
    if (it.IsFolder()) ListFiles(it.FullPath() + L"\\", prefix + it.Name() + L"\\", out);
    else out->insert(prefix + it.Name());
  }
}

}  // namespace

TEST(UnpackSdkArchive, OnlyPlainFileNamesAreUnpackedAndNothingLandsOutsideTheFolder) {
  UniqueFolder scratch;
  const std::wstring sdk = scratch / L"app\\Yelk\\";
  CreateFolders(sdk);
  std::string big;
  for (int i = 0; i < 7000; ++i) big += static_cast<char>((i * 7919) % 251);  // several 2048-byte chunks

  const struct {
    Entry entry;
    bool unpacked;
  } cases[] = {
      {{"Yelk.dll", "the library"}, true},
      {{"big.bin", big}, true},
      {{"empty.txt", ""}, false},  // an empty entry is skipped, no file appears
      {{"..\\up-backslash.txt", "escape"}, false},
      {{"../up-slash.txt", "escape"}, false},
      {{"../../app-level.txt", "escape"}, false},
      {{"sub\\nested.txt", "folder part"}, false},
      {{"sub/nested2.txt", "folder part"}, false},
      {{"sub/", ""}, false},
      {{"C:drive-relative.txt", "drive part"}, false},
      {{"Yelk.dll:stream", "alternate stream"}, false},
      {{"NUL", "device"}, false},
      {{"...", "the folder itself"}, false},
  };
  std::vector<Entry> entries;
  for (const auto& c : cases) entries.push_back(c.entry);
  const std::wstring archive = scratch / L"Yelk.zip";
  WriteZip(archive, entries);

  EXPECT_EQ(UnpackSdkArchive(archive, sdk), 2);
  std::set<std::wstring> expected{L"Yelk.zip"}, found;
  for (const auto& c : cases)
    if (c.unpacked) {
      expected.insert(L"app\\Yelk\\" + AnsiToWide(c.entry.name));
      EXPECT_EQ(ReadAll(sdk + AnsiToWide(c.entry.name)), c.entry.bytes) << c.entry.name;
    }
  ListFiles(scratch.Path(), L"", &found);
  EXPECT_EQ(found, expected);
}

TEST(UnpackSdkArchive, ASecondRunOverwritesAndACorruptArchiveUnpacksNothing) {
  UniqueFolder scratch;
  const std::wstring sdk = scratch / L"Yelk\\";
  CreateFolders(sdk);
  WriteFileBytes(sdk + L"TNUID.dll", "from an earlier run, longer than the new one");
  WriteZip(scratch / L"good.zip", {{"TNUID.dll", "new"}});
  EXPECT_EQ(UnpackSdkArchive(scratch / L"good.zip", sdk), 1);
  EXPECT_EQ(ReadAll(sdk + L"TNUID.dll"), "new");

  const std::string good = ReadAll(scratch / L"good.zip");
  const struct {
    const char* what;
    std::string bytes;
  } corrupt[] = {
      {"empty file", ""},
      {"not a zip", "PK but nothing else"},
      {"cut before its directory", good.substr(0, good.size() / 2)},
  };
  for (const auto& c : corrupt) {
    SCOPED_TRACE(c.what);
    WriteFileBytes(scratch / L"bad.zip", c.bytes);
    EXPECT_EQ(UnpackSdkArchive(scratch / L"bad.zip", sdk), 0);
    EXPECT_EQ(ReadAll(sdk + L"TNUID.dll"), "new");
  }
  EXPECT_EQ(UnpackSdkArchive(scratch / L"missing.zip", sdk), 0);
}

TEST(CopySdkArchive, FailuresRaiseTheirTexts) {
  UniqueFolder scratch;
  auto failure = [](HMODULE module, int id, const std::wstring& path) -> std::string {
    try {
      CopySdkArchive(module, id, path);
      return "ok";
    } catch (const MorvelError& e) {
      return e.what();
    }
  };
  HMODULE self = ::GetModuleHandleW(nullptr);
  EXPECT_EQ(failure(nullptr, kArchiveSdk, scratch / L"a.zip"), "Get module handle failed");
  EXPECT_EQ(failure(self, kArchiveMissing, scratch / L"a.zip"), "YELK not found resource");
  EXPECT_EQ(failure(self, kArchiveSdk, scratch / L"no\\such\\folder\\a.zip"), "MorvelFileCreate failed");
  EXPECT_EQ(failure(self, kArchiveSdk, scratch / L"a.zip"), "ok");
  EXPECT_GT(GetFileSize(scratch / L"a.zip"), 1000);

  try {
    PrepareSdkFolder(L"");
    ADD_FAILURE() << "no application-data folder must not mean a relative SDK folder";
  } catch (const MorvelError& e) {
    EXPECT_STREQ(e.what(), "Create YELK cache path failed");
  }
}
