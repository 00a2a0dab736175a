// The one base of every COM object of the DLL: identity, an atomic 64-bit
// reference count, the DLL-wide object count and IUnknown. Classes list
// their interfaces as template arguments and write no IUnknown code.
//
// No free-threaded marshaler and no IAgileObject: the objects live in the
// UI thread's apartment (the DLL registers as Apartment) and keep state no
// other thread may touch. Without them COM hands a caller in another
// apartment a proxy that runs each call on the UI thread, instead of this
// pointer called on the wrong thread.
#pragma once

#include <windows.h>
// Windows headers must come first.
#include <objidl.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <utility>

#include "com/com_ptr.h"

namespace sorla::com {

// Whether an interface pointer answers `iid`. An interface that extends
// another non-IUnknown interface specializes this to answer the base too.
template <class I>
struct Answers {
  static bool iid(REFIID iid) noexcept { return IsEqualIID(iid, __uuidof(I)); }
};

// C callers can pass a null IID where C++ sees a reference; read through a
// volatile so the check is not optimized away.
inline bool is_null(const IID* iid) noexcept {
  const IID* volatile p = iid;
  return p == nullptr;
}

// The non-template half: the counts.
class ObjectCore {
 public:
  ObjectCore(const ObjectCore&) = delete;
  ObjectCore& operator=(const ObjectCore&) = delete;

 protected:
  ObjectCore() noexcept;
  virtual ~ObjectCore();

  ULONG add_ref() noexcept;
  ULONG release() noexcept;
  // IUnknown; E_NOINTERFACE for anything else.
  HRESULT query_common(IUnknown* identity, REFIID iid, void** out) noexcept;

 private:
  friend struct std::default_delete<ObjectCore>;  // the last Release deletes

  std::atomic<std::int64_t> refs_{1};
};

template <class... Interfaces>
class Object : public Interfaces..., public ObjectCore {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (is_null(&iid)) return E_POINTER;
    if ((try_interface<Interfaces>(iid, out) || ...)) {
      AddRef();
      return S_OK;
    }
    return query_common(identity(), iid, out);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return add_ref(); }
  ULONG STDMETHODCALLTYPE Release() override { return release(); }

 protected:
  Object() noexcept = default;

  IUnknown* identity() noexcept { return static_cast<First*>(this); }

 private:
  template <class First_, class...>
  struct Head {
    using type = First_;
  };
  using First = typename Head<Interfaces...>::type;

  template <class I>
  bool try_interface(REFIID iid, void** out) noexcept {
    if (!Answers<I>::iid(iid)) return false;
    *out = static_cast<I*>(this);
    return true;
  }
};

// Creates an object holding its creator's reference (and one object count).
template <class T, class... Args>
ComPtr<T> make_object(Args&&... args) {
  return ComPtr<T>::adopt(std::make_unique<T>(std::forward<Args>(args)...).release());
}

}  // namespace sorla::com
