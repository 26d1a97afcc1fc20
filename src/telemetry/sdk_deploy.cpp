#include "telemetry/sdk_deploy.h"

#include <cstdio>
#include <memory>
#include <vector>

// iowin32.h relies on the declarations of unzip.h (and ioapi.h) coming first.
#include "minizip/unzip.h"
#include "minizip/iowin32.h"
#include "platform/encoding.h"
#include "platform/error.h"
#include "platform/file_stream.h"
#include "platform/files.h"
#include "telemetry/sdk_entry_name.h"

namespace {

constexpr int kChunk = 2048;

struct UnzCloser {
  void operator()(void* zip) const { unzClose(zip); }
};
struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};

// Copies the current entry to `target` in chunks; true when it was read to its end with a good CRC.
bool CopyCurrentEntry(unzFile zip, const std::wstring& target) {
  if (unzOpenCurrentFile(zip) != UNZ_OK) return false;
  bool complete = false;
  {
    std::unique_ptr<FILE, FileCloser> out(_wfopen(target.c_str(), L"wb"));
    if (out) {
      char chunk[kChunk];
      for (;;) {
        int got = unzReadCurrentFile(zip, chunk, kChunk);
        if (got < 0) break;  // a damaged entry ends here, leaving what was written
        if (got == 0) {
          complete = true;
          break;
        }
        if (std::fwrite(chunk, 1, static_cast<size_t>(got), out.get()) != static_cast<size_t>(got)) break;
      }
    }
  }
  // Closing checks the CRC once the entry was read to its end.
  return unzCloseCurrentFile(zip) == UNZ_OK && complete;
}

}  // namespace

SdkPlace InstallerSdkPlace() {
  SdkPlace place;
  place.module = ::GetModuleHandleW(nullptr);
  place.runFolder = GetRunFolder();
  std::wstring appData = GetAppDataFolder();
  if (!appData.empty()) place.sdkFolder = appData + L"Yelk\\";
  return place;
}

std::wstring SdkArchiveCopyPath(const SdkPlace& place) { return place.runFolder + L"Yelk.zip"; }

void CopySdkArchive(HMODULE module, int resourceId, const std::wstring& archivePath) {
  if (!module) throw MorvelError("Get module handle failed");
  HRSRC info = ::FindResourceW(module, MAKEINTRESOURCEW(resourceId), L"BinarySystem");
  if (!info) throw MorvelError("YELK not found resource");
  DWORD size = ::SizeofResource(module, info);
  if (size == 0) throw MorvelError("YELK resource is empty");
  HGLOBAL loaded = ::LoadResource(module, info);
  if (!loaded) throw MorvelError("Load YELK resource failed");
  if (const void* bytes = ::LockResource(loaded)) {
    CFileStream copy(archivePath, CFileStream::kModeCreate);
    copy.Write(bytes, static_cast<int>(size));
  }
  ::FreeResource(loaded);  // a no-op on 32- and 64-bit Windows, kept for symmetry with LoadResource
  if (!FileExists(archivePath)) throw MorvelError("Save YELK resource failed");
}

void PrepareSdkFolder(const std::wstring& sdkFolder) {
  // Without an application-data folder the SDK folder would silently become "Yelk\" below whatever the
  // current folder is; treat that as the failure it is.
  if (sdkFolder.empty()) throw MorvelError("Create YELK cache path failed");
  if (!FolderExists(sdkFolder) && !CreateFolders(sdkFolder)) throw MorvelError("Create YELK cache path failed");
}

int UnpackSdkArchive(const std::wstring& archivePath, const std::wstring& folder) {
  zlib_filefunc64_def io;
  fill_win32_filefunc64W(&io);
  std::unique_ptr<void, UnzCloser> zip(unzOpen2_64(archivePath.c_str(), &io));
  if (!zip) return 0;
  int written = 0;
  for (int step = unzGoToFirstFile(zip.get()); step == UNZ_OK; step = unzGoToNextFile(zip.get())) {
    unz_file_info64 info;
    char name[1024] = {};
    if (unzGetCurrentFileInfo64(zip.get(), &info, name, sizeof name - 1, nullptr, 0, nullptr, 0) != UNZ_OK)
      continue;
    // Entry names are in the system code page. Only plain names are unpacked: a name with "..", a
    // folder or a drive part would otherwise write outside the SDK folder. The test runs on the wide
    // form, because in double-byte code pages a backslash byte can be the second half of a character.
    std::wstring entry = AnsiToWide(name);
    if (!IsPlainEntryName(entry) || info.uncompressed_size == 0) continue;
    if (CopyCurrentEntry(zip.get(), folder + entry)) ++written;
  }
  return written;
}
