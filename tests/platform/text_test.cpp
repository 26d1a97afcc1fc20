#include "platform/text.h"

#include <gtest/gtest.h>

using Pieces = std::vector<std::string>;

TEST(SplitAny, DropsEmptyPiecesBetweenAndAroundSeparators) {
  EXPECT_EQ(SplitAny(std::string("\\\\a\\\\b/c\\"), std::string("\\/")), (Pieces{"a", "b", "c"}));
  EXPECT_EQ(SplitAny(std::string("1..97.0.3"), std::string(".")), (Pieces{"1", "97", "0", "3"}));
  EXPECT_TRUE(SplitAny(std::string("..."), std::string(".")).empty());
  EXPECT_TRUE(SplitAny(std::string(""), std::string(".")).empty());
  EXPECT_EQ(SplitAny(std::wstring(L"C:\\\\x\\y\\"), std::wstring(L"\\")),
            (std::vector<std::wstring>{L"C:", L"x", L"y"}));
}

TEST(ParseInt64, ReadsLikeScanfLld) {
  const struct {
    const char* text;
    int64_t value;
  } cases[] = {{"42", 42}, {"  -7x", -7}, {"097", 97}, {"abc", 0}, {"", 0},
               {"9223372036854775807", INT64_MAX}, {"12.5", 12}};
  for (const auto& c : cases) EXPECT_EQ(ParseInt64(c.text), c.value) << c.text;
  EXPECT_EQ(FormatInt64(-1234567890123LL), "-1234567890123");
  EXPECT_EQ(FormatInt64(INT64_MIN), "-9223372036854775808");
}

TEST(TextUtilities, TrimFindUpperRemoveStatus) {
  EXPECT_EQ(TrimLeft(std::string("  \tx y"), std::string(" \t")), "x y");
  EXPECT_EQ(TrimLeft(std::wstring(L"   "), std::wstring(L" ")), L"");
  EXPECT_EQ(TrimRight(std::wstring(L"x y \r\n"), std::wstring(L" \r\n")), L"x y");

  EXPECT_EQ(FindText("abcabc", "bc", 0), 1);
  EXPECT_EQ(FindText("abcabc", "bc", 2), 4);
  EXPECT_EQ(FindText("abc", "bc", 4), -1);   // start past the end
  EXPECT_EQ(FindText("abc", "", 0), -1);     // empty part
  EXPECT_EQ(FindText(std::wstring(), std::wstring(L"a")), -1);

  EXPECT_EQ(ToUpperAscii("abz-\xc3\xa9Q"), "ABZ-\xc3\xa9Q");
  EXPECT_EQ(RemoveAll(L"aXXXbXXc", L"XX"), L"aXbc");
  EXPECT_EQ(RemoveAll(L"ab", L"abc"), L"ab");
  EXPECT_EQ(RemoveAll(L"ab", L""), L"ab");

  EXPECT_EQ(HttpStatusText("HTTP/1.1 206 Partial Content"), "206");
  EXPECT_EQ(HttpStatusText("HTTP/1.1 20"), "");  // 11 characters
  EXPECT_EQ(HttpStatusText("HTTP/1.1 404"), "404");
}

TEST(PathTexts, ExtensionAndTrailingSeparator) {
  EXPECT_EQ(GetExtension(L"C:\\a.b\\setup"), L"");
  EXPECT_EQ(GetExtension(L"C:\\x\\setup.exe"), L".exe");
  EXPECT_EQ(GetExtension(L"C:\\x.y/setup"), L"");
  EXPECT_EQ(EnsureTrailingSeparator(L"C:\\x"), L"C:\\x\\");
  EXPECT_EQ(EnsureTrailingSeparator(L"C:/x/"), L"C:/x/");
  EXPECT_EQ(EnsureTrailingSeparator(L""), L"");
}

TEST(IsValidInstallPath, Cases) {
  const struct {
    const wchar_t* path;
    bool valid;
  } cases[] = {
      {L"D:\\Program Files\\Vexra", true}, {L"d:", true}, {L"C:\\", true},
      {L"C:\\a\\\\b", false},              // two backslashes in a row
      {L"C:\\a?\\b", false},               {L"C:\\a\\b:c", false}, {L"C:\\a\\b|c", false},
      {L"1:\\a", false},                   // digit as drive letter
      {L"\\\\server\\share", false},       // network path
      {L"C\\x", false},                    {L"CC:\\x", false},    {L":C\\x", false},
      {L"", false},                        {L"C:\\a/b", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsValidInstallPath(c.path), c.valid);
}
