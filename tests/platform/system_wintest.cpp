#include "platform/system.h"

#include <gtest/gtest.h>

#include "platform/scoped.h"

// The test prefix is a 64-bit Wine 8 prefix at 96 DPI; Wine 8 reports Windows 7 SP1 by default.
TEST(SystemQueries, WhatTheTestPrefixReports) {
  EXPECT_EQ(GetOsVersionClass(), 3);
  EXPECT_EQ(GetOsVersionClass(), 3);  // computed once, same answer
  EXPECT_TRUE(Is64BitWindows());
  ScopedWindowDc screen(nullptr);
  EXPECT_DOUBLE_EQ(GetDpiRatio(screen.Get()), 1.0);
}

TEST(SystemQueries, TimerTrampolineCallsTheRecordedFunction) {
  int calls = 0;
  TimerTarget target{[](void* p) { ++*static_cast<int*>(p); }, &calls};
  TimerTrampoline(0, 0, reinterpret_cast<DWORD_PTR>(&target), 0, 0);
  TimerTrampoline(0, 0, 0, 0, 0);  // no record: nothing happens
  EXPECT_EQ(calls, 1);
}
