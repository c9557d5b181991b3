#pragma once

// TGraphicsObject: the base of the canvas's drawing tools (TFont, TPen, TBrush). Each tool
// holds a description and makes its GDI object (HFONT, HPEN, HBRUSH) from it on demand.
// Changing a property drops the handle and raises OnChange; a canvas that uses the tool
// listens there, lets go of the handle in its DC, and selects the new one when it next
// draws. The tool owns its handle (deleted on change and in the destructor).
//
// Threads: a tool belongs to whoever owns it. A canvas shared with a worker thread passes
// its lock to its tools (OwnerCriticalSection), and Lock/Unlock take that lock.

#include <mutex>

#include "platform/gdi/WinGdi.h"
#include "rtl/Exceptions.h"
#include "vcl/Colors.h"
#include "vcl/Event.h"
#include "vcl/Persistent.h"
#include "vcl/TypInfo.h"

BRANTWELL_DECLARE_EXCEPTION(EInvalidGraphic, Exception);
BRANTWELL_DECLARE_EXCEPTION(EInvalidGraphicOperation, Exception);
BRANTWELL_DECLARE_EXCEPTION(EOutOfResources, EOutOfMemory);

class TGraphicsObject : public TPersistent {
  BRANTWELL_CLASS(TGraphicsObject, TPersistent)

 public:
  TGraphicsObject() = default;

  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent value) { FOnChange = std::move(value); }
  // The lock of the canvas that uses this tool, or nil.
  std::recursive_mutex* OwnerCriticalSection() const { return FOwnerLock; }
  void SetOwnerCriticalSection(std::recursive_mutex* value) { FOwnerLock = value; }
  // True when a GDI object exists for the current description.
  virtual bool HandleAllocated() const = 0;

 protected:
  // Tells the listener; call after the description changed and the handle was dropped.
  virtual void Changed();
  void Lock() {
    if (FOwnerLock) FOwnerLock->lock();
  }
  void Unlock() {
    if (FOwnerLock) FOwnerLock->unlock();
  }

 private:
  TNotifyEvent FOnChange;
  std::recursive_mutex* FOwnerLock = nullptr;
};

// Guards a tool's change with its owner's lock.
class TGraphicsObjectLock {
 public:
  explicit TGraphicsObjectLock(std::recursive_mutex* lock) : m_lock(lock) {
    if (m_lock) m_lock->lock();
  }
  ~TGraphicsObjectLock() {
    if (m_lock) m_lock->unlock();
  }
  TGraphicsObjectLock(const TGraphicsObjectLock&) = delete;
  TGraphicsObjectLock& operator=(const TGraphicsObjectLock&) = delete;

 private:
  std::recursive_mutex* m_lock;
};

// Deletes a GDI object the tools made; a handle still selected somewhere stays alive in the
// GDI (DeleteObject refuses it), which the caller cannot mend, so the failure is ignored.
void DeleteGdiObject(HGDIOBJ object);
