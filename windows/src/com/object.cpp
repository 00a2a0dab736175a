#include "com/object.h"

#include "com/boundary.h"
#include "com/object_count.h"

namespace sorla::com {

ObjectCore::ObjectCore() noexcept { add_to_object_count(1); }

ObjectCore::~ObjectCore() { add_to_object_count(-1); }

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
  if (!IsEqualIID(iid, __uuidof(IUnknown))) return E_NOINTERFACE;
  identity->AddRef();
  *out = identity;
  return S_OK;
}

}  // namespace sorla::com
