// The candidate row as a TSF UI element: applications that draw candidates
// themselves (games, full-screen programs) read it and drive it through
// ITfCandidateListUIElementBehavior instead of seeing our window. The list
// is one page of at most five candidates.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "com/object.h"
#include "tsf_decls.h"

namespace sorla::com {
// The behaviour interface also answers for the two it extends.
template <>
struct Answers<ITfCandidateListUIElementBehavior> {
  static bool iid(REFIID iid) noexcept {
    return IsEqualIID(iid, __uuidof(ITfCandidateListUIElementBehavior)) ||
           IsEqualIID(iid, __uuidof(ITfCandidateListUIElement)) ||
           IsEqualIID(iid, __uuidof(ITfUIElement));
  }
};
}  // namespace sorla::com

namespace sorla::ui {

// What the application asks the service to do through the element.
struct CandidateActions {
  std::function<void(std::size_t)> select;
  std::function<void()> finalize;  // commit the highlighted candidate
  std::function<void()> abort;     // end the word as Escape does
};

class CandidateList final : public com::Object<ITfCandidateListUIElementBehavior> {
 public:
  explicit CandidateList(CandidateActions actions);

  // The candidates and highlight now; the flags say what changed.
  void set(const std::vector<std::string>& candidates, std::size_t selected);
  // Whether the application lets the service draw its own window.
  bool shown() const { return shown_; }
  void set_shown(bool shown) { shown_ = shown; }

  // ITfUIElement
  HRESULT STDMETHODCALLTYPE GetDescription(BSTR* description) override;
  HRESULT STDMETHODCALLTYPE GetGUID(GUID* guid) override;
  HRESULT STDMETHODCALLTYPE Show(BOOL show) override;
  HRESULT STDMETHODCALLTYPE IsShown(BOOL* show) override;
  // ITfCandidateListUIElement
  HRESULT STDMETHODCALLTYPE GetUpdatedFlags(DWORD* flags) override;
  HRESULT STDMETHODCALLTYPE GetDocumentMgr(ITfDocumentMgr** document) override;
  HRESULT STDMETHODCALLTYPE GetCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetSelection(UINT* index) override;
  HRESULT STDMETHODCALLTYPE GetString(UINT index, BSTR* text) override;
  HRESULT STDMETHODCALLTYPE GetPageIndex(UINT* index, UINT size, UINT* page_count) override;
  HRESULT STDMETHODCALLTYPE SetPageIndex(UINT* index, UINT page_count) override;
  HRESULT STDMETHODCALLTYPE GetCurrentPage(UINT* page) override;
  // ITfCandidateListUIElementBehavior
  HRESULT STDMETHODCALLTYPE SetSelection(UINT index) override;
  HRESULT STDMETHODCALLTYPE Finalize() override;
  HRESULT STDMETHODCALLTYPE Abort() override;

 private:
  CandidateActions actions_;
  std::vector<std::wstring> candidates_;
  std::size_t selected_ = 0;
  DWORD updated_ = 0;
  bool shown_ = true;
};

}  // namespace sorla::ui
