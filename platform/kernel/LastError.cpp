#include "platform/kernel/WinError.h"

namespace {

thread_local DWORD lastError = ERROR_SUCCESS;

// The detail text of the thread's last error, made when a detail is first set. Destructors of
// static objects still call platform functions while the process ends, after the main
// thread's thread-local objects are gone, so the text is reached through a plain pointer that
// stays valid: the release below frees the text when the thread ends and leaves the pointer
// empty, and an empty pointer reads as no detail.
thread_local std::string* lastErrorDetail = nullptr;

struct DetailRelease {
  // Called when the text is made, so that the release is made in that thread too.
  void Arm() {}
  ~DetailRelease() {
    delete lastErrorDetail;
    lastErrorDetail = nullptr;
  }
};
thread_local DetailRelease detailRelease;

}  // namespace

DWORD GetLastError() { return lastError; }

void SetLastError(DWORD code) {
  lastError = code;
  if (lastErrorDetail) lastErrorDetail->clear();
}

namespace platform::detail {

void SetLastErrorWithDetail(DWORD code, std::string detail) {
  lastError = code;
  if (!lastErrorDetail) {
    detailRelease.Arm();
    lastErrorDetail = new std::string;
  }
  *lastErrorDetail = std::move(detail);
}

std::string LastErrorDetail() { return lastErrorDetail ? *lastErrorDetail : std::string(); }

}  // namespace platform::detail
