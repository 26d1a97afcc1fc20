// The skin pictures: written from the installer's resources to the per-run folder, unpacked into
// "images\" and handed out as decoded GDI+ images by exact file name.
#pragma once
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <memory>
#include <string>
#include <vector>

class ILoggerServer;

class IResourceMgr {
 public:
  virtual Gdiplus::Image* GetImage(const wchar_t* fileName) = 0;
  virtual void Release() = 0;

 protected:
  virtual ~IResourceMgr() = default;
};

// Where a manager takes its archive from and where it reports. The defaults are the installer's own:
// its module, its per-run folder and GetLoggerServer().
struct ResourceMgrSource {
  HMODULE module = nullptr;      // null: the process's own module
  std::wstring runFolder;        // empty: GetRunFolder()
  bool useRunFolder = true;      // false: take runFolder as given, even when empty
  ILoggerServer* logger = nullptr;
};

// Resource type and id of the skin archive in the installer's module.
constexpr const wchar_t* kSkinResourceType = L"BinarySystem";
constexpr int kSkinResourceId = 103;
constexpr size_t kExpectedSkinFiles = 15;

// A complete manager, or null when it could not be built (every failure has been reported by event).
IResourceMgr* CreateResourceManager(const ResourceMgrSource& source = ResourceMgrSource());

