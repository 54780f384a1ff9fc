// TUniqueHandle: owns one Win32 handle and closes it with its close function when it goes.
#pragma once

#include <utility>

namespace hoardscope {

template <class Handle, auto Close>
class TUniqueHandle {
 public:
  TUniqueHandle() = default;
  explicit TUniqueHandle(Handle handle) : FHandle(handle) {}
  TUniqueHandle(TUniqueHandle&& other) noexcept : FHandle(std::exchange(other.FHandle, Handle{})) {}
  TUniqueHandle& operator=(TUniqueHandle&& other) noexcept {
    std::swap(FHandle, other.FHandle);
    return *this;
  }
  TUniqueHandle(const TUniqueHandle&) = delete;
  TUniqueHandle& operator=(const TUniqueHandle&) = delete;
  ~TUniqueHandle() {
    if (FHandle) Close(FHandle);
  }

  Handle Get() const { return FHandle; }
  // The address for a call that stores a new handle; what was held is closed first.
  Handle* Out() {
    if (FHandle) Close(std::exchange(FHandle, Handle{}));
    return &FHandle;
  }
  explicit operator bool() const { return FHandle != Handle{}; }

 private:
  Handle FHandle{};
};

}  // namespace hoardscope
