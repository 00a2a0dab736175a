// What the list's provider and its items' answer alike: server-side
// providers of the candidate window's fragment with one control pattern
// each, reading the tree they belong to while their list is shown.
#pragma once

#include <memory>
#include <optional>
#include <utility>

#include "com/boundary.h"
#include "com/object.h"
#include "tsf/uia/candidate_tree.h"
#include "tsf/uia/uia_decls.h"

namespace sorla::uia {

// `Derived` says when it is shown with `std::optional<Live> live() const`.
template <class Derived, class Pattern, PATTERNID kPattern, class... More>
class ProviderBase
    : public com::Object<IRawElementProviderSimple, IRawElementProviderFragment, More..., Pattern> {
 public:
  HRESULT STDMETHODCALLTYPE get_ProviderOptions(ProviderOptions* out) override {
    if (!out) return E_INVALIDARG;
    *out = ProviderOptions_ServerSideProvider;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetPatternProvider(PATTERNID pattern, IUnknown** out) override {
    if (!out) return E_INVALIDARG;
    *out = nullptr;
    if (pattern == kPattern) {
      *out = static_cast<Pattern*>(this);
      this->AddRef();
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetEmbeddedFragmentRoots(SAFEARRAY** out) override {
    if (!out) return E_INVALIDARG;
    *out = nullptr;
    return S_OK;
  }
  // The window never takes the focus.
  HRESULT STDMETHODCALLTYPE SetFocus() override { return S_OK; }

 protected:
  explicit ProviderBase(std::weak_ptr<CandidateTree> tree) : tree_(std::move(tree)) {}

  // The tree and its view while the window lives.
  struct Live {
    std::shared_ptr<CandidateTree> tree;
    CandidateTree::View view;
  };
  std::optional<Live> window_live() const {
    auto tree = tree_.lock();
    auto view = tree ? tree->view() : std::nullopt;
    if (!view) return std::nullopt;
    return Live{std::move(tree), std::move(*view)};
  }

  // Runs `fill(live, *out)` behind the COM boundary: a null `out` is
  // refused, `out` starts cleared, and a provider no longer shown answers
  // UIA_E_ELEMENTNOTAVAILABLE.
  template <class T, class F>
  HRESULT answer(T* out, F&& fill) const {
    return com::guarded([&]() -> HRESULT {
      if (!out) return E_INVALIDARG;
      clear(out);
      const std::optional<Live> now = static_cast<const Derived*>(this)->live();
      if (!now) return UIA_E_ELEMENTNOTAVAILABLE;
      return fill(*now, *out);
    });
  }

 private:
  template <class T>
  static void clear(T* out) noexcept {
    *out = T{};
  }
  static void clear(VARIANT* out) noexcept { VariantInit(out); }

  std::weak_ptr<CandidateTree> tree_;
};

}  // namespace sorla::uia
