// TComPtr: a counted reference to a COM interface that releases it when it goes.
#pragma once

#include <utility>

#include "com/ComTypes.h"

namespace hoardscope {

template <class T>
class TComPtr {
 public:
  TComPtr() = default;
  TComPtr(std::nullptr_t) {}
  // Takes a new reference of its own on pointer.
  explicit TComPtr(T* pointer) : FPointer(pointer) {
    if (FPointer) FPointer->AddRef();
  }
  TComPtr(const TComPtr& other) : TComPtr(other.FPointer) {}
  TComPtr(TComPtr&& other) noexcept : FPointer(std::exchange(other.FPointer, nullptr)) {}
  ~TComPtr() { Reset(); }

  TComPtr& operator=(TComPtr other) noexcept {
    std::swap(FPointer, other.FPointer);
    return *this;
  }

  // Adopts a reference the caller already owns (an out value of a COM call).
  static TComPtr Attach(T* pointer) {
    TComPtr result;
    result.FPointer = pointer;
    return result;
  }

  void Reset() {
    if (FPointer) std::exchange(FPointer, nullptr)->Release();
  }

  // Releases what is held and gives the address for a COM call to store a new reference in.
  T** Out() {
    Reset();
    return &FPointer;
  }

  // Hands the reference over to the caller.
  T* Detach() { return std::exchange(FPointer, nullptr); }

  // Asks the object for another of its interfaces; empty when it has none.
  template <class U>
  TComPtr<U> As(REFIID iid) const {
    TComPtr<U> result;
    if (FPointer) FPointer->QueryInterface(iid, reinterpret_cast<void**>(result.Out()));
    return result;
  }

  T* Get() const { return FPointer; }
  T* operator->() const { return FPointer; }
  explicit operator bool() const { return FPointer != nullptr; }

 private:
  T* FPointer = nullptr;
};

}  // namespace hoardscope
