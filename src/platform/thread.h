// The one worker-thread base and the mutex every shared holder uses.
#pragma once
#include <windows.h>

#include <atomic>

#include "platform/scoped.h"

// A worker: the base creates the thread suspended; the derived constructor sets its own fields and then
// calls Start(). A thread that was never started ends without calling Run. Derived destructors that
// own state Run touches must call Join() first (the base destructor joins too, but by then the derived
// part is gone).
class CMorvelBasedThread {
 public:
  CMorvelBasedThread();
  virtual ~CMorvelBasedThread();
  CMorvelBasedThread(const CMorvelBasedThread&) = delete;
  CMorvelBasedThread& operator=(const CMorvelBasedThread&) = delete;

  bool IsRunning() const { return running_.load(); }
  void RequestStop() { stop_.store(true); }
  bool StopRequested() const { return stop_.load(); }
  // Waits for the thread without time limit; does nothing when it already ended or was joined.
  void Join();
  // Waits at most `ms`; true when the thread has ended.
  bool WaitFor(DWORD ms);

 protected:
  virtual unsigned Run() = 0;
  void Start();  // clears held and resumes the thread
  HANDLE ThreadHandle() const { return thread_.Get(); }

 private:
  static unsigned __stdcall Entry(void* self);
  std::atomic<bool> held_{true};
  std::atomic<bool> running_{true};
  std::atomic<bool> stop_{false};
  ScopedHandle thread_;
};

// An unnamed system mutex: recursive for its owner, waited for without time limit.
class CXMutex {
 public:
  CXMutex() : handle_(::CreateMutexW(nullptr, FALSE, nullptr)) {}
  virtual ~CXMutex() = default;
  CXMutex(const CXMutex&) = delete;
  CXMutex& operator=(const CXMutex&) = delete;
  void Lock() {
    if (handle_) ::WaitForSingleObject(handle_.Get(), INFINITE);
  }
  void Unlock() {
    if (handle_) ::ReleaseMutex(handle_.Get());
  }
  // Waits at most `ms`; true when the mutex is now held (also when its last owner ended without
  // releasing it).
  bool TryLockFor(DWORD ms) {
    if (!handle_) return true;
    DWORD r = ::WaitForSingleObject(handle_.Get(), ms);
    return r == WAIT_OBJECT_0 || r == WAIT_ABANDONED;
  }

 private:
  ScopedHandle handle_;
};

class CXMutexLock {
 public:
  explicit CXMutexLock(CXMutex& m) : m_(m) { m_.Lock(); }
  ~CXMutexLock() { m_.Unlock(); }
  CXMutexLock(const CXMutexLock&) = delete;
  CXMutexLock& operator=(const CXMutexLock&) = delete;

 private:
  CXMutex& m_;
};
