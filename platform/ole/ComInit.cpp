#include "platform/ole/ComInit.h"

namespace {

thread_local int t_comInitCount = 0;
thread_local bool t_multithreaded = false;

constexpr DWORD kKnownFlags =
    COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE | COINIT_SPEED_OVER_MEMORY;

}  // namespace

HRESULT CoInitializeEx(LPVOID reserved, DWORD coInit) {
  if (reserved || (coInit & ~kKnownFlags)) return E_INVALIDARG;
  const bool multithreaded = (coInit & COINIT_APARTMENTTHREADED) == 0;
  if (t_comInitCount > 0) {
    if (multithreaded != t_multithreaded) return RPC_E_CHANGED_MODE;
    ++t_comInitCount;
    return S_FALSE;
  }
  t_multithreaded = multithreaded;
  t_comInitCount = 1;
  return S_OK;
}

HRESULT CoInitialize(LPVOID reserved) { return CoInitializeEx(reserved, COINIT_APARTMENTTHREADED); }

void CoUninitialize() {
  if (t_comInitCount > 0) --t_comInitCount;
}
