#include "app/app_info.h"

#include <gtest/gtest.h>

#include <windows.h>

#include "../platform/scratch.h"
#include "platform/scoped.h"

namespace {

// Writes (or, for nullptr, removes) the product's uninstall entry for one case.
void SetDisplayIcon(const wchar_t* value) {
  ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, kUninstallKey);
  if (value == nullptr) return;
  ScopedRegKey key;
  ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, nullptr, 0, KEY_WRITE, nullptr,
                              key.Receive(), nullptr),
            ERROR_SUCCESS);
  std::wstring v = value;
  ::RegSetValueExW(key.Get(), L"DisplayIcon", 0, REG_SZ, reinterpret_cast<const BYTE*>(v.c_str()),
                   static_cast<DWORD>((v.size() + 1) * sizeof(wchar_t)));
}

}  // namespace

TEST(CAppInfo, ProductVersionOfAFileAndOfNone) {
  CAppInfo info;
  EXPECT_EQ(info.GetProductVersion(VEXRA_INSTALLER_WINPATH), L"" VEXRA_PRODUCT_VERSION_W);
  EXPECT_EQ(info.GetProductVersion(L"C:\\windows\\no-such-file.exe"), L"");
  // The test program itself carries no version resource.
  EXPECT_EQ(info.GetProductVersion(L""), L"");
}

TEST(CAppInfo, RefreshFindsTheInstalledExecutableOnlyWhenDisplayIconNamesAFile) {
  ScratchFolder dir;
  const std::wstring product = dir / L"VXImgConverter.exe";
  ::CopyFileW(VEXRA_INSTALLER_WINPATH, product.c_str(), FALSE);
  std::wstring deep = dir.Path() + std::wstring(600, L'x') + L".exe";  // longer than 511 characters

  const struct {
    const wchar_t* displayIcon;
    std::wstring path;
    std::wstring version;
  } cases[] = {
      {nullptr, L"", L""},
      {product.c_str(), product, L"" VEXRA_PRODUCT_VERSION_W},
      {(product + L",0").c_str(), L"", L""},  // an icon index makes it no installation
      {(dir / L"missing.exe").c_str(), L"", L""},
      {deep.c_str(), L"", L""},
  };
  for (const auto& c : cases) {
    SetDisplayIcon(c.displayIcon);
    CAppInfo info;
    EXPECT_TRUE(info.Refresh());
    EXPECT_EQ(info.GetInstalledExePath(), c.path);
    EXPECT_EQ(info.GetInstalledVersion(), c.version);
  }
  SetDisplayIcon(nullptr);
}
