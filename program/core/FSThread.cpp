#include "program/core/FSThread.h"

#include "platform/kernel/KernelObject.h"
#include "platform/kernel/Threads.h"
#include "program/core/LogFile.h"
#include "rtl/SysErrors.h"

TFSThread::TFSThread(bool createSuspended) : TThread(createSuspended, TThreadStart::BySubclass) {
  DWORD threadId = 0;
  m_kernelHandle = CreateThread(nullptr, 0, &TFSThread::FSThreadProc, this, CREATE_SUSPENDED, &threadId);
  if (!m_kernelHandle)
    throw EThread::CreateFmt("Thread creation error: %s", {SysErrorMessage(GetLastError())});
  FHandle = reinterpret_cast<THandle>(m_kernelHandle);
  FThreadID = threadId;
}

TFSThread::~TFSThread() {
  // A deleted thread has ended already (TThread's delete stops it first). This covers an
  // object that was not deleted, while our own ResumeThread can still start it.
  TerminateAndWait();
  if (m_kernelHandle) CloseHandle(m_kernelHandle);
  m_kernelHandle = nullptr;
}

void TFSThread::ResumeThread() {
  if (!m_resumed.exchange(true)) ::ResumeThread(m_kernelHandle);
}

void TFSThread::DoTerminate() {
  try {
    TThread::DoTerminate();
  } catch (...) {
    if (ApplicationHandleException) {
      try {
        ApplicationHandleException(this, std::current_exception());
      } catch (...) {
        // The hook's own failure has nowhere to go either.
      }
    }
  }
}

DWORD TFSThread::FSThreadProc(void* parameter) {
  // RunThreadBody may free the object; only its result is used afterwards.
  return static_cast<DWORD>(RunThreadBody(static_cast<TFSThread*>(parameter)));
}
