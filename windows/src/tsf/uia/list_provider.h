// The candidate list's provider: the root of the window's fragment, hosted
// by the window, with the selection pattern.
#pragma once

#include <memory>
#include <optional>

#include "tsf/uia/provider_base.h"

namespace sorla::uia {

class ListProvider final
    : public ProviderBase<ListProvider, ISelectionProvider, UIA_SelectionPatternId,
                          IRawElementProviderFragmentRoot> {
  using Base = ProviderBase<ListProvider, ISelectionProvider, UIA_SelectionPatternId,
                            IRawElementProviderFragmentRoot>;
  friend Base;

 public:
  explicit ListProvider(std::weak_ptr<CandidateTree> tree) : Base(std::move(tree)) {}

  // IRawElementProviderSimple
  HRESULT STDMETHODCALLTYPE GetPropertyValue(PROPERTYID property, VARIANT* out) override;
  HRESULT STDMETHODCALLTYPE get_HostRawElementProvider(IRawElementProviderSimple** out) override;
  // IRawElementProviderFragment
  HRESULT STDMETHODCALLTYPE Navigate(NavigateDirection direction,
                                     IRawElementProviderFragment** out) override;
  HRESULT STDMETHODCALLTYPE GetRuntimeId(SAFEARRAY** out) override;
  HRESULT STDMETHODCALLTYPE get_BoundingRectangle(UiaRect* out) override;
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
  // While the window lives, shown or hidden.
  std::optional<Live> live() const { return window_live(); }
};

}  // namespace sorla::uia
