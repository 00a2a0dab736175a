// One candidate's provider: a list item named by its number and text, with
// the selection-item pattern. It belongs to one shown list (a generation of
// the tree); once other candidates show, it is no longer available.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

#include "com/object.h"
#include "tsf/uia/candidate_tree.h"
#include "tsf/uia/uia_decls.h"

namespace sorla::uia {

class ItemProvider final : public com::Object<IRawElementProviderSimple,
                                              IRawElementProviderFragment, ISelectionItemProvider> {
 public:
  ItemProvider(std::weak_ptr<CandidateTree> tree, std::uint32_t generation, std::size_t index)
      : tree_(std::move(tree)), generation_(generation), index_(index) {}

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
  // ISelectionItemProvider
  HRESULT STDMETHODCALLTYPE Select() override;
  HRESULT STDMETHODCALLTYPE AddToSelection() override;
  HRESULT STDMETHODCALLTYPE RemoveFromSelection() override;
  HRESULT STDMETHODCALLTYPE get_IsSelected(BOOL* out) override;
  HRESULT STDMETHODCALLTYPE get_SelectionContainer(IRawElementProviderSimple** out) override;

 private:
  // The tree and its view while this item's list is shown.
  struct Live {
    std::shared_ptr<CandidateTree> tree;
    CandidateTree::View view;
  };
  std::optional<Live> live() const;

  std::weak_ptr<CandidateTree> tree_;
  std::uint32_t generation_;
  std::size_t index_;
};

}  // namespace sorla::uia
