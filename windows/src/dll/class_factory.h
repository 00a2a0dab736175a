// The class factory that COM asks for the text service.
#pragma once

#include "com/object.h"

namespace sorla::dll {

class ClassFactory final : public com::Object<IClassFactory> {
 public:
  ClassFactory() = default;

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;
};

// DllGetClassObject.
HRESULT get_class_object(const CLSID* clsid, const IID* iid, void** out);

}  // namespace sorla::dll
