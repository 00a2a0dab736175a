#include "com/object.h"

#include "com/boundary.h"
#include "com/object_count.h"

namespace sorla::com {

ObjectCore::ObjectCore() noexcept { add_to_object_count(1); }

ObjectCore::~ObjectCore() {
  if (IUnknown* marshaler = marshaler_.load()) marshaler->Release();
  add_to_object_count(-1);
}

ULONG ObjectCore::add_ref() noexcept {
  const std::int64_t refs = refs_.fetch_add(1) + 1;
  return static_cast<ULONG>(refs);
}

ULONG ObjectCore::release() noexcept {
  const std::int64_t refs = refs_.fetch_sub(1) - 1;
  if (refs < 0) fatal();  // more releases than references: memory is already unsafe
  if (refs == 0) std::unique_ptr<ObjectCore> doomed(this);
  return static_cast<ULONG>(refs);
}

HRESULT ObjectCore::query_common(IUnknown* identity, REFIID iid, void** out) noexcept {
  if (IsEqualIID(iid, __uuidof(IUnknown)) || IsEqualIID(iid, __uuidof(IAgileObject))) {
    identity->AddRef();
    *out = identity;
    return S_OK;
  }
  if (IsEqualIID(iid, __uuidof(IMarshal))) {
    IUnknown* marshaler = marshaler_.load();
    if (marshaler == nullptr) {
      // Made on first use; of two threads racing here one keeps its own.
      IUnknown* created = nullptr;
      const HRESULT hr = CoCreateFreeThreadedMarshaler(identity, &created);
      if (FAILED(hr)) return hr;
      if (marshaler_.compare_exchange_strong(marshaler, created)) {
        marshaler = created;
      } else {
        created->Release();
      }
    }
    return marshaler->QueryInterface(iid, out);
  }
  return E_NOINTERFACE;
}

}  // namespace sorla::com
