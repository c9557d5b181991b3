#include "platform/comctl/CommCtrl.h"

#include <mutex>
#include <vector>

namespace platform {

namespace {

std::mutex& RegistrationLock() {
  static std::mutex lock;
  return lock;
}

std::vector<void (*)()>& Registrations() {
  static std::vector<void (*)()> list;
  return list;
}

bool& Registered() {
  static bool done = false;
  return done;
}

}  // namespace

namespace comctl_detail {

ClassRegistration::ClassRegistration(void (*registerClass)()) {
  std::lock_guard<std::mutex> guard(RegistrationLock());
  Registrations().push_back(registerClass);
}

}  // namespace comctl_detail

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init) {
  if (init != nullptr && init->dwSize != sizeof(INITCOMMONCONTROLSEX)) return FALSE;
  std::lock_guard<std::mutex> guard(RegistrationLock());
  if (!Registered()) {
    Registered() = true;
    for (auto registerClass : Registrations()) registerClass();
  }
  return TRUE;
}

void InitCommonControls() {
  INITCOMMONCONTROLSEX init{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
  InitCommonControlsEx(&init);
}

}  // namespace platform
