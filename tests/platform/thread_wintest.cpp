#include "platform/thread.h"

#include <gtest/gtest.h>

#include <atomic>

#include "platform/process.h"

namespace {

class Counter : public CMorvelBasedThread {
 public:
  Counter(std::atomic<int>& runs, bool start) : runs_(runs) {
    if (start) Start();
  }
  ~Counter() override { Join(); }

 protected:
  unsigned Run() override {
    ++runs_;
    return 7;
  }

 private:
  std::atomic<int>& runs_;
};

}  // namespace

TEST(CMorvelBasedThread, RunsOnceWhenStartedNeverWhenDestroyedFirst) {
  std::atomic<int> runs{0};
  {
    Counter started(runs, true);
    started.Join();
    EXPECT_FALSE(started.IsRunning());
  }
  EXPECT_EQ(runs.load(), 1);
  { Counter held(runs, false); }
  EXPECT_EQ(runs.load(), 1);
}

TEST(CXMutex, IsRecursiveForItsOwner) {
  CXMutex m;
  m.Lock();
  m.Lock();
  m.Unlock();
  m.Unlock();
  CXMutexLock guard(m);
  SUCCEED();
}

TEST(CMorvelBasedProcess, StartsHiddenAndGivesTheExitCode) {
  CMorvelBasedProcess p(L"cmd.exe /c exit 3");
  ASSERT_TRUE(p.Start());
  EXPECT_TRUE(p.Start());  // already started: nothing new
  ASSERT_EQ(::WaitForSingleObject(p.ProcessHandle(), 30000), WAIT_OBJECT_0);
  DWORD code = 0;
  ::GetExitCodeProcess(p.ProcessHandle(), &code);
  EXPECT_EQ(code, 3u);
  CMorvelBasedProcess bad(L"C:\\no\\such\\program.exe");
  EXPECT_FALSE(bad.Start());
}

TEST(Processes, ParentOfThisProcessIsKnown) {
  DWORD parent = 0;
  ASSERT_TRUE(GetParentProcessId(::GetCurrentProcessId(), &parent));
  std::wstring self;
  EXPECT_TRUE(GetProcessImagePath(::GetCurrentProcessId(), &self));
  EXPECT_NE(self.find(L".exe"), std::wstring::npos);
  EXPECT_FALSE(GetParentProcessId(0xFFFFFFF0u, &parent));
}
