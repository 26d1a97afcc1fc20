#include "ui/resource_mgr.h"

#include <gtest/gtest.h>

#include "../platform/scratch.h"
#include "minizip/zip.h"
// after zip.h: iowin32.h relies on the declarations it brings in
#include "minizip/iowin32.h"
#include "platform/archive_entry.h"
#include "platform/encoding.h"
#include "ui_support.h"

namespace {

const RecordedEvent kStart{"vResourceMgrStart", "", ""};
const RecordedEvent kCreated{"vResourceStatus", "resource_status", "创建资源成功"};
const RecordedEvent kFailed{"vResourceStatus", "resource_status", "创建资源失败"};
const RecordedEvent kNotFound{"vResourceError", "error_status", "获取指定资源失败"};
const RecordedEvent kUnpackFailed{"vResourceError", "error_status", "资源解压失败"};
const RecordedEvent kNoCacheFolder{"vResourceError", "error_status", "创建缓存路径失败"};

const wchar_t* const kSkinNames[] = {
    L"custom_btn_back_hover.png",   L"custom_btn_back_normal.png",   L"custom_btn_back_press.png",
    L"error_icon.png",              L"global_btn_close_hover.png",   L"global_btn_close_normal.png",
    L"global_btn_close_press.png",  L"inquire_icon.png",             L"install_banner.png",
    L"logo.png",                    L"main_bg.png",                  L"main_checkbox_deselect.png",
    L"main_checkbox_select.png",    L"main_word_custom_hover.png",   L"main_word_custom_normal.png",
    L"main_word_custom_press.png"};

struct Released {
  void operator()(IResourceMgr* m) const {
    if (m) m->Release();
  }
};
using Manager = std::unique_ptr<IResourceMgr, Released>;

class ResourceMgr : public ::testing::Test {
 protected:
  Manager Create(HMODULE module = nullptr) {
    ResourceMgrSource source;
    source.module = module;
    source.runFolder = run_.Path();
    source.logger = &log_;
    return Manager(CreateResourceManager(source));
  }
  std::wstring Images() const { return run_ / L"images\\"; }
  void FillImages(size_t count) {
    CreateFolders(Images());
    std::string png = ResourceBytes(202);
    for (size_t i = 0; i < count; ++i) WriteFileBytes(Images() + L"pic" + std::to_wstring(100 + i) + L".png", png);
  }
  static size_t CountFiles(const std::wstring& folder) {
    size_t n = 0;
    for (FolderIterator it(folder, L"*"); it.Next();) n += !it.IsFolder();
    return n;
  }

  ScratchFolder run_;
  RecordingLogger log_;
};

TEST_F(ResourceMgr, FreshRunFolderWritesUnpacksAndIndexesTheSkin) {
  Manager m = Create();
  ASSERT_TRUE(m) << ::testing::PrintToString(log_.events);
  EXPECT_TRUE(FileExists(run_ / L"Resource.zip"));
  EXPECT_EQ(CountFiles(Images()), 16u);
  // The archive holds 16 pictures where 15 are expected: one report, and the manager still works.
  std::vector<RecordedEvent> expected = {kStart, kNotFound, kCreated};
  EXPECT_EQ(log_.events, expected);
  for (const wchar_t* name : kSkinNames) {
    Gdiplus::Image* image = m->GetImage(name);
    ASSERT_NE(image, nullptr) << WideToUtf8(name);
    EXPECT_GT(image->GetWidth(), 0u) << WideToUtf8(name);
  }
  Gdiplus::Image* bg = m->GetImage(L"main_bg.png");
  EXPECT_EQ(bg->GetWidth(), 1200u);
  EXPECT_EQ(bg->GetHeight(), 800u);
  EXPECT_EQ(m->GetImage(L"global_btn_close_normal.png")->GetWidth(), 28u);
  EXPECT_EQ(m->GetImage(L"inquire_icon.png")->GetHeight(), 60u);
  EXPECT_EQ(m->GetImage(L"install_banner.png")->GetHeight(), 600u);
  EXPECT_EQ(log_.events.size(), 3u);  // no lookup failed
}

TEST_F(ResourceMgr, LookupIsExactLazyAndStable) {
  Manager m = Create();
  ASSERT_TRUE(m);
  log_.events.clear();
  Gdiplus::Image* first = m->GetImage(L"main_bg.png");
  EXPECT_EQ(m->GetImage(L"main_bg.png"), first);
  struct Case {
    const wchar_t* name;
  } misses[] = {{L"MAIN_BG.PNG"}, {L"main_bg"}, {L"main_bg.png "}, {L"images\\main_bg.png"}, {L"zzz.png"}, {L"a"}};
  for (const auto& c : misses) EXPECT_EQ(m->GetImage(c.name), nullptr) << WideToUtf8(c.name);
  EXPECT_EQ(log_.events, std::vector<RecordedEvent>(std::size(misses), kNotFound));
  log_.events.clear();
  EXPECT_EQ(m->GetImage(nullptr), nullptr);
  EXPECT_EQ(m->GetImage(L""), nullptr);
  EXPECT_TRUE(log_.events.empty());
  EXPECT_EQ(log_.extraProperties, 0);
}

TEST_F(ResourceMgr, ExistingImagesFolderIsUsedUnchanged) {
  struct Case {
    size_t files;
    std::vector<RecordedEvent> events;
  } cases[] = {
      {15, {kStart, kCreated}},
      {16, {kStart, kNotFound, kCreated}},
      {1, {kStart, kNotFound, kCreated}},
  };
  for (const auto& c : cases) {
    ScratchFolder run;
    RecordingLogger log;
    CreateFolders(run / L"images\\");
    std::string png = ResourceBytes(202);
    for (size_t i = 0; i < c.files; ++i) WriteFileBytes(run / (L"images\\p" + std::to_wstring(i) + L".png"), png);
    ResourceMgrSource source{nullptr, run.Path(), true, &log};
    Manager m(CreateResourceManager(source));
    ASSERT_TRUE(m) << c.files;
    EXPECT_EQ(log.events, c.events) << c.files;
    EXPECT_FALSE(FileExists(run / L"Resource.zip")) << "nothing written for " << c.files;
    EXPECT_NE(m->GetImage(L"p0.png"), nullptr);
    EXPECT_EQ(m->GetImage(L"main_bg.png"), nullptr);  // the folder was not unpacked over
  }
}

TEST_F(ResourceMgr, EmptyImagesFolderReportsTwiceAndFallsThroughToTheArchive) {
  CreateFolders(Images());
  Manager m = Create();
  ASSERT_TRUE(m);
  std::vector<RecordedEvent> expected = {kStart, kNotFound, kNotFound, kNotFound, kCreated};
  EXPECT_EQ(log_.events, expected);
  EXPECT_NE(m->GetImage(L"logo.png"), nullptr);
}

TEST_F(ResourceMgr, ArchiveAlreadyOnDiskIsUnpackedWithoutTheModule) {
  {
    Manager first = Create();
    ASSERT_TRUE(first);
  }
  DeleteTree(Images());
  log_.events.clear();
  // kernel32 holds no skin: only the copy on disk can succeed.
  Manager m = Create(::GetModuleHandleW(L"kernel32.dll"));
  ASSERT_TRUE(m);
  EXPECT_EQ(log_.events, (std::vector<RecordedEvent>{kStart, kNotFound, kCreated}));
  EXPECT_NE(m->GetImage(L"error_icon.png"), nullptr);
}

TEST_F(ResourceMgr, MissingResourceGivesOneUnpackReportAndNoManager) {
  Manager m = Create(::GetModuleHandleW(L"kernel32.dll"));
  EXPECT_FALSE(m);
  EXPECT_EQ(log_.events, (std::vector<RecordedEvent>{kStart, kUnpackFailed, kFailed}));
}

TEST_F(ResourceMgr, UnpackFolderThatCannotBeMadeEndsConstructionAtOnce) {
  ResourceMgrSource source{nullptr, L"Q:\\no-such-drive\\run\\", true, &log_};
  Manager m(CreateResourceManager(source));
  EXPECT_FALSE(m);
  EXPECT_EQ(log_.events, (std::vector<RecordedEvent>{kStart}));  // neither (b) nor (c) was tried
}

TEST_F(ResourceMgr, EmptyRunFolderPathIsReportedAndTheSkinLandsInTheCurrentFolder) {
  ScratchFolder cwd;
  wchar_t old[MAX_PATH] = {};
  ::GetCurrentDirectoryW(MAX_PATH, old);
  ::SetCurrentDirectoryW(cwd.Path().c_str());
  {
    ResourceMgrSource source{nullptr, L"", false, &log_};
    Manager m(CreateResourceManager(source));
    EXPECT_TRUE(m);
    EXPECT_EQ(log_.events, (std::vector<RecordedEvent>{kStart, kNoCacheFolder, kNotFound, kCreated}));
    EXPECT_TRUE(FileExists(cwd / L"Resource.zip"));
    EXPECT_TRUE(FileExists(cwd / L"images\\logo.png"));
  }
  ::SetCurrentDirectoryW(old);
}

void WriteZip(const std::wstring& path, const std::vector<std::pair<std::string, std::string>>& entries) {
  zlib_filefunc64_def io;
  fill_win32_filefunc64W(&io);
  zipFile zf = zipOpen2_64(path.c_str(), APPEND_STATUS_CREATE, nullptr, &io);
  ASSERT_NE(zf, nullptr);
  for (const auto& [name, bytes] : entries) {
    zip_fileinfo info{};
    ASSERT_EQ(zipOpenNewFileInZip(zf, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 6), ZIP_OK);
    zipWriteInFileInZip(zf, bytes.data(), static_cast<unsigned>(bytes.size()));
    zipCloseFileInZip(zf);
  }
  zipClose(zf, nullptr);
}

TEST_F(ResourceMgr, UnpackWritesPlainFileNamesOnlyNothingOutsideImages) {
  std::string png = ResourceBytes(202);
  WriteZip(run_ / L"Resource.zip", {{"good.png", png},
                                    {"../escaped.png", png},
                                    {"..\\escaped2.png", png},
                                    {"sub/nested.png", png},
                                    {"C:evil.png", png},
                                    {"also_good.png", png}});
  Manager m = Create(::GetModuleHandleW(L"kernel32.dll"));
  ASSERT_TRUE(m);
  EXPECT_FALSE(FileExists(run_ / L"escaped.png"));
  EXPECT_FALSE(FileExists(run_ / L"escaped2.png"));
  EXPECT_FALSE(FolderExists(Images() + L"sub"));
  EXPECT_EQ(CountFiles(Images()), 2u);
  EXPECT_NE(m->GetImage(L"good.png"), nullptr);
  EXPECT_NE(m->GetImage(L"also_good.png"), nullptr);

  for (const auto& [name, plain] : std::vector<std::pair<std::wstring, bool>>{
           {L"a.png", true}, {L"..", false}, {L".", false}, {L"", false}, {L"a/b", false}, {L"a\\b", false},
           {L"C:x", false}, {L"..png", true}})
    EXPECT_EQ(IsPlainEntryName(name), plain) << WideToUtf8(name);
}

TEST_F(ResourceMgr, BrokenArchiveOrEmptyEntryIsAnUnpackFailure) {
  struct Case {
    const char* name;
    std::vector<std::pair<std::string, std::string>> entries;
    bool raw;
  } cases[] = {
      {"not a zip", {}, true},
      {"empty entry", {{"a.png", ""}}, false},
  };
  for (const auto& c : cases) {
    ScratchFolder run;
    RecordingLogger log;
    if (c.raw) WriteFileBytes(run / L"Resource.zip", "this is not an archive");
    else WriteZip(run / L"Resource.zip", c.entries);
    ResourceMgrSource source{::GetModuleHandleW(L"kernel32.dll"), run.Path(), true, &log};
    Manager m(CreateResourceManager(source));
    EXPECT_FALSE(m) << c.name;
    // Step (b) fails, step (c) finds no resource in kernel32.
    EXPECT_EQ(log.events, (std::vector<RecordedEvent>{kStart, kUnpackFailed, kUnpackFailed, kFailed})) << c.name;
  }
}

TEST_F(ResourceMgr, UndecodableFileStillYieldsAnImageThatDrawsNothing) {
  FillImages(14);
  WriteFileBytes(Images() + L"broken.png", "not a picture");
  Manager m = Create();
  ASSERT_TRUE(m);
  log_.events.clear();
  Gdiplus::Image* broken = m->GetImage(L"broken.png");
  ASSERT_NE(broken, nullptr);
  EXPECT_EQ(broken->GetWidth(), 0u);
  EXPECT_TRUE(log_.events.empty());
}

}  // namespace
