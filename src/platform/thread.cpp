#include "platform/thread.h"

#include <process.h>

CMorvelBasedThread::CMorvelBasedThread() {
  unsigned id = 0;
  thread_.Reset(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &Entry, this, CREATE_SUSPENDED, &id)));
  if (!thread_) running_ = false;
}

CMorvelBasedThread::~CMorvelBasedThread() { Join(); }

unsigned __stdcall CMorvelBasedThread::Entry(void* self) {
  auto* t = static_cast<CMorvelBasedThread*>(self);
  unsigned code = static_cast<unsigned>(-1);
  if (!t->held_.load()) code = t->Run();
  t->running_ = false;
  return code;
}

void CMorvelBasedThread::Start() {
  held_ = false;
  if (thread_) ::ResumeThread(thread_.Get());
}

void CMorvelBasedThread::Join() {
  if (!thread_) return;
  if (held_.load()) ::ResumeThread(thread_.Get());  // ends at once without calling Run
  ::WaitForSingleObject(thread_.Get(), INFINITE);
  thread_.Reset();
}

bool CMorvelBasedThread::WaitFor(DWORD ms) {
  if (!thread_) return true;
  return ::WaitForSingleObject(thread_.Get(), ms) == WAIT_OBJECT_0;
}
