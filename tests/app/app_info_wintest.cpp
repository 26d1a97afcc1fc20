#include "app/app_info.h"

#include <gtest/gtest.h>

TEST(CAppInfo, ProductVersionOfAFileAndOfNone) {
  CAppInfo info;
  EXPECT_EQ(info.GetProductVersion(VEXRA_INSTALLER_WINPATH), L"" VEXRA_PRODUCT_VERSION_W);
  EXPECT_EQ(info.GetProductVersion(L"C:\\windows\\no-such-file.exe"), L"");
  // The test program itself carries no version resource.
  EXPECT_EQ(info.GetProductVersion(L""), L"");
}
