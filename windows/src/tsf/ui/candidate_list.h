// The candidate row as a TSF UI element: applications that draw candidates
// themselves (games, full-screen programs) read it and drive it through
// ITfCandidateListUIElementBehavior instead of seeing our window. The list
// holds every page's candidates, five a page, as our window pages them.
//
// The contract, from the "UILess Mode Overview" and the ITfUIElementMgr
// pages: BeginUIElement before the row first shows, and the application
// answers whether our own window may show it; UpdateUIElement whenever it
// changes, the first time at once when the application draws it, so that
// it reads the row without waiting for the next key; EndUIElement when it
// goes. GetUpdatedFlags says what changed since the last update, every
// part at the first; Show(FALSE) and Show(TRUE) hide and show our own
// window ("the text service's UI of this UI element").
#pragma once

#include <functional>
#include <optional>
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
  std::function<void(bool)> show;  // our own window shown or hidden now
};

class CandidateList final : public com::Object<ITfCandidateListUIElementBehavior> {
 public:
  explicit CandidateList(CandidateActions actions);

  // Offers every page's candidates and the highlighted one's place among
  // them, typed in `context`, to the application: begins the element the
  // first time, updates it after. False when the application draws the
  // candidates itself and our window must stay hidden.
  bool offer(ITfUIElementMgr& manager, const std::vector<std::string>& candidates,
             std::size_t selected, com::ComPtr<ITfContext> context);
  // Ends the element if it is begun.
  void end(ITfUIElementMgr& manager);
  // Whether our own window may show the row.
  bool shown() const { return shown_; }

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
  // Stores the row and notes what changed.
  void set(const std::vector<std::string>& candidates, std::size_t selected,
           com::ComPtr<ITfContext> context);
  // UpdateUIElement with the changes noted since the last one.
  void update(ITfUIElementMgr& manager);

  CandidateActions actions_;
  std::vector<std::wstring> candidates_;
  std::size_t selected_ = 0;
  com::ComPtr<ITfContext> context_;  // the row's document, while begun
  DWORD pending_ = 0;                // changed since the last update
  DWORD updated_ = 0;                // what the last update changed, for GetUpdatedFlags
  bool shown_ = true;
  std::optional<DWORD> id_;  // while begun
  bool calling_ = false;     // inside Begin or Update, which may call back
};

}  // namespace sorla::ui
