// One candidate's provider: a list item named by its number and text, with
// the selection-item pattern. It belongs to one shown list (a generation of
// the tree); once other candidates show, it is no longer available.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

#include "tsf/uia/provider_base.h"

namespace sorla::uia {

class ItemProvider final
    : public ProviderBase<ItemProvider, ISelectionItemProvider, UIA_SelectionItemPatternId> {
  using Base = ProviderBase<ItemProvider, ISelectionItemProvider, UIA_SelectionItemPatternId>;
  friend Base;

 public:
  ItemProvider(std::weak_ptr<CandidateTree> tree, std::uint32_t generation, std::size_t index)
      : Base(std::move(tree)), generation_(generation), index_(index) {}

  // IRawElementProviderSimple
  HRESULT STDMETHODCALLTYPE GetPropertyValue(PROPERTYID property, VARIANT* out) override;
  HRESULT STDMETHODCALLTYPE get_HostRawElementProvider(IRawElementProviderSimple** out) override;
  // IRawElementProviderFragment
  HRESULT STDMETHODCALLTYPE Navigate(NavigateDirection direction,
                                     IRawElementProviderFragment** out) override;
  HRESULT STDMETHODCALLTYPE GetRuntimeId(SAFEARRAY** out) override;
  HRESULT STDMETHODCALLTYPE get_BoundingRectangle(UiaRect* out) override;
  HRESULT STDMETHODCALLTYPE get_FragmentRoot(IRawElementProviderFragmentRoot** out) override;
  // ISelectionItemProvider
  HRESULT STDMETHODCALLTYPE Select() override;
  HRESULT STDMETHODCALLTYPE AddToSelection() override;
  HRESULT STDMETHODCALLTYPE RemoveFromSelection() override;
  HRESULT STDMETHODCALLTYPE get_IsSelected(BOOL* out) override;
  HRESULT STDMETHODCALLTYPE get_SelectionContainer(IRawElementProviderSimple** out) override;

 private:
  // While this item's list is shown.
  std::optional<Live> live() const;

  std::uint32_t generation_;
  std::size_t index_;
};

}  // namespace sorla::uia
