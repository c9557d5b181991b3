// The task-bar list object and its registration with the class table.

#include "platform/shell/TaskbarList.h"

#include <atomic>

#include "platform/ole/ComClasses.h"
#include "platform/user/Taskbar.h"

const CLSID CLSID_TaskbarList = {0x56FDF344, 0xFD6D, 0x11D0, {0x95, 0x8A, 0x00, 0x60, 0x97, 0xC9, 0xA0, 0x90}};
const IID IID_ITaskbarList = {0x56FDF342, 0xFD6D, 0x11D0, {0x95, 0x8A, 0x00, 0x60, 0x97, 0xC9, 0xA0, 0x90}};

namespace {

class TaskbarList final : public ITaskbarList {
 public:
  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    if (iid != IID_IUnknown && iid != IID_ITaskbarList) {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    *object = static_cast<ITaskbarList*>(this);
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++m_references; }
  ULONG Release() override {
    const ULONG left = --m_references;
    if (left == 0) delete this;
    return left;
  }
  HRESULT HrInit() override {
    m_initialised = true;
    return S_OK;
  }
  HRESULT AddTab(HWND hwnd) override { return SetTab(hwnd, true); }
  HRESULT DeleteTab(HWND hwnd) override { return SetTab(hwnd, false); }

 private:
  ~TaskbarList() = default;
  HRESULT SetTab(HWND hwnd, bool present) const {
    if (!m_initialised) return E_UNEXPECTED;
    return platform::SetTaskbarButton(hwnd, present) ? S_OK : E_INVALIDARG;
  }

  std::atomic<ULONG> m_references{0};
  std::atomic<bool> m_initialised{false};
};

HRESULT MakeTaskbarList(REFIID iid, void** object) {
  auto* list = new TaskbarList;
  list->AddRef();
  const HRESULT result = list->QueryInterface(iid, object);
  list->Release();
  return result;
}

// Registered when the program loads, as the class would be on the system.
const bool g_registered = platform::RegisterComClass(CLSID_TaskbarList, MakeTaskbarList);

}  // namespace
