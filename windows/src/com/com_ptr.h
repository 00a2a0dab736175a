// Owning pointer to a COM interface: one reference, released on destruction.
#pragma once

#include <unknwn.h>

#include <cstddef>
#include <utility>

namespace sorla::com {

template <class T>
class ComPtr {
 public:
  ComPtr() noexcept = default;
  ComPtr(std::nullptr_t) noexcept {}
  ComPtr(const ComPtr& other) noexcept : p_(other.p_) {
    if (p_) p_->AddRef();
  }
  ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  ComPtr& operator=(ComPtr other) noexcept {
    std::swap(p_, other.p_);
    return *this;
  }
  ~ComPtr() { reset(); }

  // Takes over a reference the caller already owns.
  static ComPtr adopt(T* p) noexcept {
    ComPtr result;
    result.p_ = p;
    return result;
  }
  // Adds a reference of its own.
  static ComPtr retain(T* p) noexcept {
    if (p) p->AddRef();
    return adopt(p);
  }

  T* get() const noexcept { return p_; }
  T* operator->() const noexcept { return p_; }
  explicit operator bool() const noexcept { return p_ != nullptr; }

  void reset() noexcept {
    if (T* p = std::exchange(p_, nullptr)) p->Release();
  }
  // Releases what is held and hands out the slot for an out parameter.
  T** put() noexcept {
    reset();
    return &p_;
  }
  void** put_void() noexcept { return reinterpret_cast<void**>(put()); }
  // Gives up the reference to the caller.
  T* detach() noexcept { return std::exchange(p_, nullptr); }

  template <class U>
  ComPtr<U> query() const noexcept {
    ComPtr<U> result;
    if (p_) p_->QueryInterface(__uuidof(U), result.put_void());
    return result;
  }

 private:
  T* p_ = nullptr;
};

// Whether two interface pointers belong to one COM object (their IUnknown
// is the same); false when either is null.
inline bool same_object(IUnknown* a, IUnknown* b) noexcept {
  if (a == nullptr || b == nullptr) return false;
  if (a == b) return true;
  ComPtr<IUnknown> ua, ub;
  a->QueryInterface(__uuidof(IUnknown), ua.put_void());
  b->QueryInterface(__uuidof(IUnknown), ub.put_void());
  return ua && ua.get() == ub.get();
}

}  // namespace sorla::com
