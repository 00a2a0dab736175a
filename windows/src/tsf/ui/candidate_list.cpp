#include "tsf/ui/candidate_list.h"

#include <utility>

#include "com/boundary.h"
#include "guids.h"
#include "sorla/engine.h"
#include "text/wide.h"

namespace sorla::ui {

namespace {

constexpr DWORD kEveryPart = TF_CLUIE_DOCUMENTMGR | TF_CLUIE_COUNT | TF_CLUIE_SELECTION |
                             TF_CLUIE_STRING | TF_CLUIE_PAGEINDEX | TF_CLUIE_CURRENTPAGE;

// Candidates a page, as the session pages them.
constexpr std::size_t kPage = Engine::kMaxSuggestions;

UINT page_count_of(std::size_t count) { return static_cast<UINT>((count + kPage - 1) / kPage); }

}  // namespace

CandidateList::CandidateList(CandidateActions actions) : actions_(std::move(actions)) {}

void CandidateList::set(const std::vector<std::string>& candidates, std::size_t selected,
                        com::ComPtr<ITfContext> context) {
  std::vector<std::wstring> wide;
  wide.reserve(candidates.size());
  for (const std::string& c : candidates) wide.push_back(to_wide(c));
  if (wide != candidates_) pending_ |= TF_CLUIE_COUNT | TF_CLUIE_STRING;
  if (page_count_of(wide.size()) != page_count_of(candidates_.size())) {
    pending_ |= TF_CLUIE_PAGEINDEX;
  }
  if (selected != selected_) pending_ |= TF_CLUIE_SELECTION;
  if (selected / kPage != selected_ / kPage) pending_ |= TF_CLUIE_CURRENTPAGE;
  if (context.get() != context_.get()) pending_ |= TF_CLUIE_DOCUMENTMGR;
  candidates_ = std::move(wide);
  selected_ = selected;
  context_ = std::move(context);
}

void CandidateList::update(ITfUIElementMgr& manager) {
  updated_ = std::exchange(pending_, 0);
  calling_ = true;
  manager.UpdateUIElement(*id_);
  calling_ = false;
}

bool CandidateList::offer(ITfUIElementMgr& manager, const std::vector<std::string>& candidates,
                          std::size_t selected, com::ComPtr<ITfContext> context) {
  set(candidates, selected, std::move(context));
  // The application calls back from inside Begin or Update; the next offer
  // sends what changed meanwhile.
  if (calling_) return shown_;
  if (id_) {
    if (pending_ != 0) update(manager);
    return shown_;
  }
  BOOL show = TRUE;
  DWORD id = 0;
  pending_ = kEveryPart;
  calling_ = true;
  const HRESULT hr = manager.BeginUIElement(this, &show, &id);
  calling_ = false;
  // Wine's manager is a stub: our window shows as it always did.
  if (FAILED(hr)) return shown_;
  id_ = id;
  shown_ = show != FALSE;
  if (!shown_) update(manager);
  return shown_;
}

void CandidateList::end(ITfUIElementMgr& manager) {
  if (!id_) return;
  const DWORD id = *std::exchange(id_, std::nullopt);
  context_.reset();
  candidates_.clear();
  selected_ = 0;
  pending_ = 0;
  shown_ = true;
  manager.EndUIElement(id);
}

HRESULT CandidateList::GetDescription(BSTR* description) {
  if (description == nullptr) return E_INVALIDARG;
  *description = SysAllocString(L"Candidate list");
  return *description ? S_OK : E_OUTOFMEMORY;
}

HRESULT CandidateList::GetGUID(GUID* guid) {
  if (guid == nullptr) return E_INVALIDARG;
  *guid = ids::kCandidateListElement;
  return S_OK;
}

HRESULT CandidateList::Show(BOOL show) {
  return com::guarded([&] {
    const bool now = show != FALSE;
    if (std::exchange(shown_, now) != now && actions_.show) actions_.show(now);
    return S_OK;
  });
}

HRESULT CandidateList::IsShown(BOOL* show) {
  if (show == nullptr) return E_INVALIDARG;
  *show = shown_ ? TRUE : FALSE;
  return S_OK;
}

HRESULT CandidateList::GetUpdatedFlags(DWORD* flags) {
  if (flags == nullptr) return E_INVALIDARG;
  *flags = updated_;
  return S_OK;
}

HRESULT CandidateList::GetDocumentMgr(ITfDocumentMgr** document) {
  if (document == nullptr) return E_INVALIDARG;
  *document = nullptr;
  if (!context_) return E_FAIL;
  return context_->GetDocumentMgr(document);
}

HRESULT CandidateList::GetCount(UINT* count) {
  if (count == nullptr) return E_INVALIDARG;
  *count = static_cast<UINT>(candidates_.size());
  return S_OK;
}

HRESULT CandidateList::GetSelection(UINT* index) {
  if (index == nullptr) return E_INVALIDARG;
  *index = static_cast<UINT>(selected_);
  return S_OK;
}

HRESULT CandidateList::GetString(UINT index, BSTR* text) {
  if (text == nullptr) return E_INVALIDARG;
  *text = nullptr;
  if (index >= candidates_.size()) return E_INVALIDARG;
  const std::wstring& s = candidates_[index];
  *text = SysAllocStringLen(s.data(), static_cast<UINT>(s.size()));
  return *text ? S_OK : E_OUTOFMEMORY;
}

// The first candidate of each page, five apart. Asked with no array first,
// for the count alone, as SDL and others do.
HRESULT CandidateList::GetPageIndex(UINT* index, UINT size, UINT* page_count) {
  if (page_count == nullptr) return E_INVALIDARG;
  const UINT pages = page_count_of(candidates_.size());
  *page_count = pages;
  if (index == nullptr) return S_OK;
  if (size < pages) return E_NOT_SUFFICIENT_BUFFER;
  for (UINT p = 0; p < pages; ++p) index[p] = static_cast<UINT>(p * kPage);
  return S_OK;
}

// The pages are the session's, five a page: an application may set them
// only as they are.
HRESULT CandidateList::SetPageIndex(UINT* index, UINT page_count) {
  if (index == nullptr && page_count > 0) return E_INVALIDARG;
  if (page_count != page_count_of(candidates_.size())) return E_INVALIDARG;
  for (UINT p = 0; p < page_count; ++p) {
    if (index[p] != p * kPage) return E_INVALIDARG;
  }
  return S_OK;
}

HRESULT CandidateList::GetCurrentPage(UINT* page) {
  if (page == nullptr) return E_INVALIDARG;
  *page = static_cast<UINT>(selected_ / kPage);
  return S_OK;
}

HRESULT CandidateList::SetSelection(UINT index) {
  return com::guarded([&] {
    if (index >= candidates_.size()) return E_INVALIDARG;
    if (actions_.select) actions_.select(index);
    return S_OK;
  });
}

HRESULT CandidateList::Finalize() {
  return com::guarded([&] {
    if (actions_.finalize) actions_.finalize();
    return S_OK;
  });
}

HRESULT CandidateList::Abort() {
  return com::guarded([&] {
    if (actions_.abort) actions_.abort();
    return S_OK;
  });
}

}  // namespace sorla::ui
