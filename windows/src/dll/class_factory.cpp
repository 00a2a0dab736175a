#include "dll/class_factory.h"

#include "com/boundary.h"
#include "com/object_count.h"
#include "guids.h"
#include "tsf/service/text_service.h"

namespace sorla::dll {

HRESULT ClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** out) {
  return com::guarded([&] {
    if (out) *out = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    if (out == nullptr) return E_POINTER;
    const auto service = com::make_object<tsf::TextService>();
    return service->QueryInterface(iid, out);
  });
}

HRESULT ClassFactory::LockServer(BOOL lock) {
  com::add_to_object_count(lock ? 1 : -1);
  return S_OK;
}

HRESULT get_class_object(const CLSID* clsid, const IID* iid, void** out) {
  return com::guarded([&] {
    if (com::is_null(clsid) || out == nullptr) return E_POINTER;
    *out = nullptr;
    if (!IsEqualCLSID(*clsid, ids::kTextService)) return CLASS_E_CLASSNOTAVAILABLE;
    if (com::is_null(iid)) return E_POINTER;
    const auto factory = com::make_object<ClassFactory>();
    return factory->QueryInterface(*iid, out);
  });
}

}  // namespace sorla::dll
