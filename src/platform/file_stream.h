// Byte streams over files. Construction opens the file (or raises); destruction closes it.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

class IMorvelStream {
 public:
  virtual int64_t Tell() = 0;
  virtual int64_t SeekTo(int64_t position) = 0;
  virtual int64_t GetSize() = 0;
  virtual bool SetSize(int64_t length) = 0;
  virtual int Read(void* buffer, int count) = 0;
  virtual int Write(const void* buffer, int count) = 0;
  virtual int64_t Seek(int64_t offset, int origin) = 0;
  virtual bool IsEof() = 0;
  virtual void Destroy() = 0;
  virtual ~IMorvelStream() = default;
};

class CFileStream : public IMorvelStream {
 public:
  static constexpr unsigned kModeCreate = 0xFFFF;       // read/write, shared, replaces a file
  static constexpr unsigned kModeReadShared = 0x40;     // read, shared for reading and writing

  // Mode 0xFFFF: empty path raises "filename can't be empty", failure "MorvelFileCreate failed".
  // Other modes: low two bits 0 read / 1 write / 2 both; bits 4-7 sharing 0,1 none / 2 read / 3 write /
  // 4 both; failure raises "MorvelFileOpen failed". Undefined access or sharing values open nothing.
  CFileStream(const std::wstring& path, unsigned mode);
  ~CFileStream() override;
  CFileStream(const CFileStream&) = delete;
  CFileStream& operator=(const CFileStream&) = delete;

  int64_t Tell() override;
  int64_t SeekTo(int64_t position) override;
  int64_t GetSize() override;
  bool SetSize(int64_t length) override;
  int Read(void* buffer, int count) override;   // -1 at end of file (flag set), 0 on other failures
  int Write(const void* buffer, int count) override;
  int64_t Seek(int64_t offset, int origin) override;
  bool IsEof() override { return eof_; }
  void Destroy() override { delete this; }

  // Whole seconds since 1970; false when the query fails.
  bool GetFileTimes(int64_t* creation, int64_t* lastAccess, int64_t* lastWrite);
  bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  HANDLE Handle() const { return handle_; }

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  bool eof_ = false;
};

// File time (100 ns since 1601) to whole seconds since 1970, truncated.
int64_t FileTimeToUnixSeconds(const FILETIME& ft);
