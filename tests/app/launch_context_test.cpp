#include "app/launch_context.h"

#include <gtest/gtest.h>

TEST(LaunchContext, PackageNameAndChannelFromFileName) {
  const struct {
    const char* path;
    const char* package;
    const char* channel;
  } cases[] = {
      {"C:\\d\\setup_2_Uab12cd34.exe", "setup_2_Uab12cd34", "ab12cd34"},
      {"C:\\d\\setup_2_abcdefghij.exe", "setup_2_abcdefghij", "abcdefgh"},
      {"C:\\d\\setup_2_UUx.exe", "setup_2_UUx", "Ux"},
      {"C:\\d\\setup_2_u7.exe", "setup_2_u7", "u7"},
      {"C:\\d\\a_b_c_d.exe", "a_b_c_d", "c_d"},
      {"C:\\d\\setup_2_.exe", "setup_2_", ""},
      {"C:\\d\\setup_2_U.exe", "setup_2_U", ""},
      {"C:\\d\\setup_2.exe", "setup_2", ""},
      {"C:\\d\\setup.exe", "setup", ""},
      {"C:\\d\\abc", "abc", ""},       // a tail shorter than four stays whole
      {"setup_2_Uab.exe", "", ""},     // no backslash: no package name
      // the channel is cut after 8 bytes even inside a multi-byte character ("图" is 3 bytes)
      {"C:\\x_1_\xe5\x9b\xbe\xe5\x9b\xbe\xe5\x9b\xbe.exe", "x_1_\xe5\x9b\xbe\xe5\x9b\xbe\xe5\x9b\xbe",
       "\xe5\x9b\xbe\xe5\x9b\xbe\xe5\x9b"},
  };
  for (const auto& c : cases) {
    std::string package = PackageNameFromPath(c.path);
    EXPECT_EQ(package, c.package) << c.path;
    EXPECT_EQ(ChannelFromPackageName(package), c.channel) << c.path;
  }
}

TEST(LaunchContext, VersionResourceOverride) {
  const struct {
    const char* version;
    const char* channel;
  } cases[] = {
      {"1.97.0.3", "qihu3600"}, {"1..97.0.3", "qihu3600"}, {"1.096.0.0", "tengxun0"},
      {"2.98.1.1", "jinshan0"}, {"2.99.1.1", "huawei00"},  {"1.96.0", "file"},
      {"1.96.0.0.0", "file"},   {"1.0.0.1", "file"},      {"", "file"},
      {"1.x97.0.0", "file"},    {"1. 97.0.0", "qihu3600"},  // leading blanks are skipped
  };
  for (const auto& c : cases) EXPECT_EQ(ChannelWithVersionOverride("file", c.version), c.channel) << c.version;
}
