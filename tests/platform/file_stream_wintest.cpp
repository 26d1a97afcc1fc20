#include "platform/file_stream.h"

#include <gtest/gtest.h>

#include "platform/error.h"
#include "scratch.h"

namespace {

std::string OpenFailure(const std::wstring& path, unsigned mode) {
  try {
    CFileStream s(path, mode);
    return s.IsOpen() ? "open" : "no handle";
  } catch (const MorvelError& e) {
    return e.what();
  }
}

}  // namespace

TEST(CFileStream, OpenModeTable) {
  ScratchFolder dir;
  WriteFileBytes(dir / L"present", "xyz");
  const struct {
    std::wstring path;
    unsigned mode;
    std::string outcome;
  } cases[] = {
      {L"", CFileStream::kModeCreate, "filename can't be empty"},
      {dir / L"new", CFileStream::kModeCreate, "open"},
      {dir / L"no\\such\\folder\\x", CFileStream::kModeCreate, "MorvelFileCreate failed"},
      {dir / L"missing", CFileStream::kModeReadShared, "MorvelFileOpen failed"},
      {dir / L"present", CFileStream::kModeReadShared, "open"},
      {dir / L"present", 0x42, "open"},       // read+write, shared both ways
      {dir / L"present", 0x03, "no handle"},  // access bits 3: undefined
      {dir / L"present", 0x50, "no handle"},  // sharing 5: undefined
  };
  for (const auto& c : cases) EXPECT_EQ(OpenFailure(c.path, c.mode), c.outcome) << c.mode;
}

TEST(CFileStream, ReadWriteSeekSizeAndEof) {
  ScratchFolder dir;
  CFileStream s(dir / L"f", CFileStream::kModeCreate);
  EXPECT_EQ(s.Write("hello world", 11), 11);
  EXPECT_EQ(s.Write(nullptr, 3), 0);
  EXPECT_EQ(s.GetSize(), 11);
  EXPECT_EQ(s.Tell(), 11);  // GetSize moves back to where it was

  char buf[16] = {};
  EXPECT_EQ(s.Read(buf, 4), -1);  // at the end
  EXPECT_TRUE(s.IsEof());
  EXPECT_EQ(s.Seek(-5, 2), 6);
  EXPECT_FALSE(s.IsEof());
  EXPECT_EQ(s.Read(buf, 16), 5);
  EXPECT_EQ(std::string(buf, 5), "world");
  EXPECT_EQ(s.Read(buf, 0), 0);

  EXPECT_TRUE(s.SetSize(5));
  EXPECT_EQ(s.Tell(), 0);
  EXPECT_EQ(s.GetSize(), 5);
  EXPECT_EQ(s.SeekTo(2), 2);
  EXPECT_EQ(s.Seek(1, 1), 3);
  EXPECT_EQ(s.Seek(0, 7), -1);
}

TEST(CFileStream, FileTimesAreUnixSeconds) {
  ScratchFolder dir;
  CFileStream s(dir / L"t", CFileStream::kModeCreate);
  FILETIME created, written;
  // 2020-01-01 00:00:00 UTC and ten seconds later
  ULARGE_INTEGER v;
  v.QuadPart = 116444736000000000ULL + 1577836800ULL * 10000000ULL;
  created.dwLowDateTime = v.LowPart;
  created.dwHighDateTime = v.HighPart;
  v.QuadPart += 10ULL * 10000000ULL + 9999999ULL;  // truncated, not rounded
  written.dwLowDateTime = v.LowPart;
  written.dwHighDateTime = v.HighPart;
  ASSERT_TRUE(::SetFileTime(s.Handle(), &created, nullptr, &written));
  int64_t c = 0, a = 0, w = 0;
  ASSERT_TRUE(s.GetFileTimes(&c, &a, &w));
  // Wine keeps no separate creation time on Linux file systems; only the write time round-trips there.
  EXPECT_GT(c, 0);
  EXPECT_EQ(w, 1577836810);
}
