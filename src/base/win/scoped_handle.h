#pragma once

#include <windows.h>

// The owner of a kernel object's HANDLE (a file, a process, a thread): every
// such handle of Kestro's on Windows is held by one, closed when its owner
// goes. CreateFileW fails with INVALID_HANDLE_VALUE, most other calls with
// null; both count as no handle.
namespace kestro {

class ScopedHandle {
 public:
  ScopedHandle() = default;
  explicit ScopedHandle(HANDLE handle) : handle_(handle) {}
  ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.Release()) {}
  ScopedHandle& operator=(ScopedHandle&& other) noexcept {
    if (this != &other) {
      Close();
      handle_ = other.Release();
    }
    return *this;
  }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  ~ScopedHandle() { Close(); }

  HANDLE get() const { return handle_; }
  bool valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
  // Gives the handle up without closing it.
  HANDLE Release() {
    const HANDLE handle = handle_;
    handle_ = nullptr;
    return handle;
  }
  // Closes now, for a caller that must know whether the data got out: false
  // (with the thread's last error set) when closing failed.
  bool Close() {
    const HANDLE handle = Release();
    return handle == nullptr || handle == INVALID_HANDLE_VALUE || ::CloseHandle(handle) != FALSE;
  }

 private:
  HANDLE handle_ = nullptr;
};

}  // namespace kestro
