// The candidate list's provider: the root of the window's fragment, hosted
// by the window, with the selection pattern.
#pragma once

#include <memory>

#include "com/object.h"
#include "tsf/uia/uia_decls.h"

namespace sorla::uia {

class CandidateTree;

class ListProvider final
    : public com::Object<IRawElementProviderSimple, IRawElementProviderFragment,
                         IRawElementProviderFragmentRoot, ISelectionProvider> {
 public:
  explicit ListProvider(std::weak_ptr<CandidateTree> tree) : tree_(std::move(tree)) {}

  // IRawElementProviderSimple
  HRESULT STDMETHODCALLTYPE get_ProviderOptions(ProviderOptions* out) override;
  HRESULT STDMETHODCALLTYPE GetPatternProvider(PATTERNID pattern, IUnknown** out) override;
  HRESULT STDMETHODCALLTYPE GetPropertyValue(PROPERTYID property, VARIANT* out) override;
  HRESULT STDMETHODCALLTYPE get_HostRawElementProvider(IRawElementProviderSimple** out) override;
  // IRawElementProviderFragment
  HRESULT STDMETHODCALLTYPE Navigate(NavigateDirection direction,
                                     IRawElementProviderFragment** out) override;
  HRESULT STDMETHODCALLTYPE GetRuntimeId(SAFEARRAY** out) override;
  HRESULT STDMETHODCALLTYPE get_BoundingRectangle(UiaRect* out) override;
  HRESULT STDMETHODCALLTYPE GetEmbeddedFragmentRoots(SAFEARRAY** out) override;
  HRESULT STDMETHODCALLTYPE SetFocus() override;
  HRESULT STDMETHODCALLTYPE get_FragmentRoot(IRawElementProviderFragmentRoot** out) override;
  // IRawElementProviderFragmentRoot
  HRESULT STDMETHODCALLTYPE ElementProviderFromPoint(double x, double y,
                                                     IRawElementProviderFragment** out) override;
  HRESULT STDMETHODCALLTYPE GetFocus(IRawElementProviderFragment** out) override;
  // ISelectionProvider
  HRESULT STDMETHODCALLTYPE GetSelection(SAFEARRAY** out) override;
  HRESULT STDMETHODCALLTYPE get_CanSelectMultiple(BOOL* out) override;
  HRESULT STDMETHODCALLTYPE get_IsSelectionRequired(BOOL* out) override;

 private:
  std::weak_ptr<CandidateTree> tree_;
};

}  // namespace sorla::uia
