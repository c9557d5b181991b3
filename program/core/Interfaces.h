#pragma once

// Reference-counted interfaces in the manner of the class library: every interface derives
// (virtually) from IInterface, and IntfPtr<T> holds one counted reference. Back-pointers that
// must not keep an object alive (a node's parent, its owner document) are plain pointers that
// the owner clears before it goes; see the XML node model.

#include <cstdint>
#include <utility>

struct IInterface {
  virtual int32_t _AddRef() noexcept = 0;
  virtual int32_t _Release() noexcept = 0;

 protected:
  virtual ~IInterface() = default;
};

template <class T>
class IntfPtr {
 public:
  IntfPtr() noexcept = default;
  IntfPtr(std::nullptr_t) noexcept {}
  IntfPtr(T* object) noexcept : m_object(object) {
    if (m_object) m_object->_AddRef();
  }
  IntfPtr(const IntfPtr& other) noexcept : IntfPtr(other.m_object) {}
  IntfPtr(IntfPtr&& other) noexcept : m_object(std::exchange(other.m_object, nullptr)) {}
  template <class U>
  IntfPtr(const IntfPtr<U>& other) noexcept : IntfPtr(static_cast<T*>(other.get())) {}
  ~IntfPtr() { reset(); }

  IntfPtr& operator=(IntfPtr other) noexcept {
    std::swap(m_object, other.m_object);
    return *this;
  }
  void reset() noexcept {
    if (T* object = std::exchange(m_object, nullptr)) object->_Release();
  }
  T* get() const noexcept { return m_object; }
  T* operator->() const noexcept { return m_object; }
  T& operator*() const noexcept { return *m_object; }
  explicit operator bool() const noexcept { return m_object != nullptr; }
  friend bool operator==(const IntfPtr& a, const IntfPtr& b) noexcept { return a.m_object == b.m_object; }
  friend bool operator==(const IntfPtr& a, std::nullptr_t) noexcept { return a.m_object == nullptr; }

 private:
  T* m_object = nullptr;
};

// The query operation: the same object through another of its interfaces, or null.
template <class T, class U>
IntfPtr<T> Supports(U* object) {
  return IntfPtr<T>(dynamic_cast<T*>(object));
}
template <class T, class U>
IntfPtr<T> Supports(const IntfPtr<U>& object) {
  return Supports<T>(object.get());
}
