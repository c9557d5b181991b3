#pragma once

// The task-bar list object: adds or removes a window's task-bar button explicitly
// (platform/user/Taskbar.h says how long such a choice lasts). Made by
// CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList, ...)
// (platform/ole/ComClasses.h). HrInit comes first; the other calls fail with E_UNEXPECTED
// before it. Any thread may use it.

#include "platform/kernel/ComBase.h"
#include "platform/user/UserTypes.h"

struct ITaskbarList : IUnknown {
  virtual HRESULT HrInit() = 0;
  // E_INVALIDARG for a stale handle or a child window.
  virtual HRESULT AddTab(HWND hwnd) = 0;
  virtual HRESULT DeleteTab(HWND hwnd) = 0;

 protected:
  ~ITaskbarList() = default;
};

// Defined by this module, so that naming the class links the module that registers it.
extern const CLSID CLSID_TaskbarList;  // {56FDF344-FD6D-11D0-958A-006097C9A090}
extern const IID IID_ITaskbarList;     // {56FDF342-FD6D-11D0-958A-006097C9A090}
