#include "ui/resource_mgr.h"

#include <algorithm>
#include <memory>

#include "minizip/unzip.h"
// after unzip.h: iowin32.h relies on the declarations it brings in
#include "minizip/iowin32.h"
#include "platform/encoding.h"
#include "platform/archive_entry.h"
#include "platform/error.h"
#include "platform/file_stream.h"
#include "platform/files.h"
#include "platform/scoped.h"
#include "telemetry/logger_server.h"

namespace {

const char kStatusProperty[] = "resource_status";
const char kErrorProperty[] = "error_status";
const char kErrCacheFolder[] = "创建缓存路径失败";
const char kErrUnpack[] = "资源解压失败";
const char kErrMissing[] = "获取指定资源失败";

struct ZipCloser {
  void operator()(void* zf) const { unzClose(zf); }
};
using ScopedZip = std::unique_ptr<void, ZipCloser>;

// GDI+ for as long as the manager lives, shut down even when construction throws half-way.
class GdiplusSession {
 public:
  GdiplusSession() {
    Gdiplus::GdiplusStartupInput input;  // version 1, no debug callback, background thread, external codecs
    started_ = Gdiplus::GdiplusStartup(&token_, &input, nullptr) == Gdiplus::Ok;
  }
  ~GdiplusSession() {
    if (started_) Gdiplus::GdiplusShutdown(token_);
  }
  GdiplusSession(const GdiplusSession&) = delete;
  GdiplusSession& operator=(const GdiplusSession&) = delete;

 private:
  ULONG_PTR token_ = 0;
  bool started_ = false;
};

struct Entry {
  std::wstring path;
  std::wstring name;
  std::unique_ptr<Gdiplus::Image> image;
};

class CResourceManager : public IResourceMgr {
 public:
  explicit CResourceManager(const ResourceMgrSource& source);
  Gdiplus::Image* GetImage(const wchar_t* fileName) override;
  void Release() override { delete this; }

 private:
  ~CResourceManager() override;
  void Event(const char* name, const char* property = nullptr, const char* value = nullptr);
  bool Scan();
  bool Unpack();
  bool WriteArchive();
  bool UnpackEntries(unzFile zf);

  HMODULE module_;
  std::wstring runFolder_;
  ILoggerServer* logger_;
  std::unique_ptr<GdiplusSession> gdiplus_;  // declared before the index: images die first
  std::vector<Entry> index_;
};

CResourceManager::CResourceManager(const ResourceMgrSource& source)
    : module_(source.module ? source.module : ::GetModuleHandleW(nullptr)),
      runFolder_(source.useRunFolder && source.runFolder.empty() ? GetRunFolder() : source.runFolder),
      logger_(source.logger ? source.logger : GetLoggerServer()) {
  Event("vResourceMgrStart");
  gdiplus_ = std::make_unique<GdiplusSession>();
  bool ok = Scan() || Unpack() || WriteArchive();
  if (ok) {
    Event("vResourceStatus", kStatusProperty, "创建资源成功");
    return;
  }
  Event("vResourceStatus", kStatusProperty, "创建资源失败");
  throw MorvelError("load resource error");
}

CResourceManager::~CResourceManager() = default;

void CResourceManager::Event(const char* name, const char* property, const char* value) {
  logger_->ClearProperties();
  if (property) logger_->SetStringProperty(property, value);
  logger_->TrackEvent(name);
}

bool CResourceManager::Scan() {
  std::wstring folder = runFolder_ + L"images\\";
  if (!FolderExists(folder)) {
    // CreateFolders takes absolute paths; the bare relative "images\" (used when the run folder could
    // not be made) is one level deep, which CreateDirectory covers.
    if (!CreateFolders(folder) && !::CreateDirectoryW(folder.c_str(), nullptr)) throw MorvelError("make dir failed");
    return false;  // a new folder holds nothing
  }
  index_.clear();
  for (FolderIterator it(folder, L"*"); it.Next();) {
    if (it.IsFolder()) continue;
    index_.push_back(Entry{folder + it.Name(), it.Name(), nullptr});
  }
  if (index_.size() != kExpectedSkinFiles) Event("vResourceError", kErrorProperty, kErrMissing);
  if (index_.empty()) {
    Event("vResourceError", kErrorProperty, kErrMissing);
    return false;
  }
  // std::wstring compares UTF-16 code units ordinally, which is what the binary search needs.
  std::sort(index_.begin(), index_.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });
  return true;
}

bool CResourceManager::UnpackEntries(unzFile zf) {
  std::vector<std::string> names;
  for (int rc = unzGoToFirstFile(zf); rc == UNZ_OK; rc = unzGoToNextFile(zf)) {
    char name[512] = {};
    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(zf, &info, name, sizeof(name) - 1, nullptr, 0, nullptr, 0) != UNZ_OK) return false;
    names.push_back(name);
  }
  if (names.empty()) return false;
  for (const std::string& name : names) {
    std::wstring wide = AnsiToWide(name);
    // Only plain file names are written: "..\" or a folder part would put a file outside "images\".
    // Folder entries of the archive ("x/") land here too and are skipped the same way.
    if (!IsPlainEntryName(wide)) continue;
    if (unzLocateFile(zf, name.c_str(), 1) != UNZ_OK) return false;
    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(zf, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) return false;
    if (info.uncompressed_size == 0) return false;
    if (unzOpenCurrentFile(zf) != UNZ_OK) return false;
    std::wstring target = runFolder_ + L"images\\" + wide;
    ScopedHandle file(::CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                    nullptr));
    bool ok = file.IsValid();
    uint64_t done = 0;
    char buffer[2048];
    while (ok && done < info.uncompressed_size) {
      int got = unzReadCurrentFile(zf, buffer, sizeof(buffer));
      if (got <= 0) {
        ok = false;
        break;
      }
      DWORD put = 0;
      ok = ::WriteFile(file.Get(), buffer, static_cast<DWORD>(got), &put, nullptr) && put == static_cast<DWORD>(got);
      done += static_cast<uint64_t>(got);
    }
    // unzCloseCurrentFile also checks the entry's CRC once it was read to the end.
    if (unzCloseCurrentFile(zf) != UNZ_OK) ok = false;
    if (!ok) return false;
  }
  return true;
}

bool CResourceManager::Unpack() {
  std::wstring zipPath = runFolder_ + L"Resource.zip";
  if (!FileExists(zipPath) || GetFileSize(zipPath) <= 0) return false;
  zlib_filefunc64_def io;
  fill_win32_filefunc64W(&io);
  ScopedZip zf(unzOpen2_64(zipPath.c_str(), &io));
  bool ok = zf && UnpackEntries(zf.get());
  zf.reset();
  if (!ok) {
    Event("vResourceError", kErrorProperty, kErrUnpack);
    return false;
  }
  return Scan();
}

bool CResourceManager::WriteArchive() {
  if (runFolder_.empty()) Event("vResourceError", kErrorProperty, kErrCacheFolder);
  HRSRC info = ::FindResourceW(module_, MAKEINTRESOURCEW(kSkinResourceId), kSkinResourceType);
  DWORD size = info ? ::SizeofResource(module_, info) : 0;
  HGLOBAL loaded = size ? ::LoadResource(module_, info) : nullptr;
  const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
  if (!bytes) {
    Event("vResourceError", kErrorProperty, kErrUnpack);
    return false;
  }
  {
    CFileStream out(runFolder_ + L"Resource.zip", CFileStream::kModeCreate);
    if (out.Write(bytes, static_cast<int>(size)) < 1) Event("vResourceError", kErrorProperty, kErrUnpack);
  }
  return Unpack();
}

Gdiplus::Image* CResourceManager::GetImage(const wchar_t* fileName) {
  if (!fileName || !*fileName) return nullptr;
  std::wstring name(fileName);
  auto it = std::lower_bound(index_.begin(), index_.end(), name,
                             [](const Entry& e, const std::wstring& n) { return e.name < n; });
  if (it == index_.end() || it->name != name) {
    Event("vResourceError", kErrorProperty, kErrMissing);
    return nullptr;
  }
  if (!it->image) {
    it->image.reset(new Gdiplus::Image(it->path.c_str()));  // GDI+'s operator new gives null on failure
    if (!it->image) {
      Event("vResourceError", kErrorProperty, kErrMissing);
      return nullptr;
    }
  }
  return it->image.get();
}

}  // namespace

IResourceMgr* CreateResourceManager(const ResourceMgrSource& source) {
  try {
    return new CResourceManager(source);
  } catch (const std::exception&) {
    return nullptr;  // the constructor reported what failed; a thrown constructor frees its object
  }
}
