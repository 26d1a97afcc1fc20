#include "telemetry/sdk_entry_name.h"

#include <gtest/gtest.h>

TEST(IsPlainEntryName, AcceptsOnlyNamesThatStayInsideTheFolder) {
  struct Case {
    const wchar_t* name;
    bool plain;
  };
  const Case cases[] = {
      {L"Yelk.dll", true},
      {L"TNUID.dll", true},
      {L"Yelk.exe", true},
      {L"read me.txt", true},
      {L".hidden", true},
      {L"..dll", true},
      {L"\u8d44\u6e90.dll", true},  // a non-ASCII name is fine
      {L"console.dll", true},       // only the exact device stems are devices
      {L"COM0x.dll", true},
      {L"", false},
      {L".", false},
      {L"..", false},
      {L"...", false},              // Windows strips the dots: the folder itself
      {L". .", false},
      {L"..\\Yelk.dll", false},
      {L"../Yelk.dll", false},
      {L"sub\\Yelk.dll", false},
      {L"sub/Yelk.dll", false},
      {L"sub/", false},             // a folder entry
      {L"\\Windows\\evil.dll", false},
      {L"/etc/passwd", false},
      {L"C:\\evil.dll", false},
      {L"C:evil.dll", false},       // drive-relative
      {L"\\\\server\\share\\x", false},
      {L"Yelk.dll:stream", false},  // an alternate data stream
      {L"a*b", false},
      {L"a?b", false},
      {L"a\"b", false},
      {L"a<b", false},
      {L"a>b", false},
      {L"a|b", false},
      {L"a\tb", false},
      {L"NUL", false},
      {L"nul.txt", false},
      {L"CON", false},
      {L"aux.dll", false},
      {L"PRN ", false},
      {L"COM1", false},
      {L"lpt9.log", false},
      {L"CONOUT$", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "entry #" << (&c - cases));
    EXPECT_EQ(IsPlainEntryName(c.name), c.plain);
  }
  EXPECT_FALSE(IsPlainEntryName(std::wstring(256, L'a')));
  EXPECT_TRUE(IsPlainEntryName(std::wstring(255, L'a')));
}
