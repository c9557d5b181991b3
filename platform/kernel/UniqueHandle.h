#pragma once

// UniqueHandle: sole ownership of one C handle (a pointer such as cairo_t*, AVFrame* or a dlopen
// handle, or a value such as a file descriptor), released by the function it is bound to when
// the holder goes or takes another handle. Null is the value that means "no handle" (nullptr
// for pointers, -1 for descriptors); Release is never called with it.
//
//   using CairoPtr = platform::UniqueHandle<cairo_t*, cairo_destroy>;
//   using FileDescriptor = platform::UniqueHandle<int, CloseDescriptor, -1>;
//
// A release function that takes the handle's address (av_frame_free(AVFrame**)) is bound
// through a one-line function that takes the handle itself. Movable, not copyable; like
// std::unique_ptr, one holder is not for use from two threads at once.

#include <cstddef>
#include <type_traits>
#include <utility>

namespace platform {

template <typename Handle, auto Release, Handle Null = Handle{}>
class UniqueHandle {
 public:
  UniqueHandle() noexcept = default;
  explicit UniqueHandle(Handle handle) noexcept : m_handle(handle) {}
  UniqueHandle(std::nullptr_t) noexcept requires std::is_pointer_v<Handle> {}
  UniqueHandle(UniqueHandle&& other) noexcept : m_handle(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { reset(); }

  Handle get() const noexcept { return m_handle; }
  explicit operator bool() const noexcept { return m_handle != Null; }

  // Gives the handle up without releasing it.
  [[nodiscard]] Handle release() noexcept { return std::exchange(m_handle, Null); }

  // Releases the held handle (if any) and holds `handle` instead.
  void reset(Handle handle = Null) noexcept {
    const Handle old = std::exchange(m_handle, handle);
    if (old != Null) Release(old);
  }

  // For C functions that hand a new handle out through a pointer: releases the held one first.
  Handle* put() noexcept {
    reset();
    return &m_handle;
  }

  void swap(UniqueHandle& other) noexcept { std::swap(m_handle, other.m_handle); }

  auto operator->() const noexcept requires std::is_pointer_v<Handle> { return m_handle; }
  decltype(auto) operator*() const noexcept requires std::is_pointer_v<Handle> { return *m_handle; }

  friend bool operator==(const UniqueHandle& handle, std::nullptr_t) noexcept requires std::is_pointer_v<Handle> {
    return handle.m_handle == nullptr;
  }

 private:
  Handle m_handle = Null;
};

}  // namespace platform
