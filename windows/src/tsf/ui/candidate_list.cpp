#include "tsf/ui/candidate_list.h"

#include "com/boundary.h"
#include "guids.h"
#include "text/wide.h"

namespace sorla::ui {

CandidateList::CandidateList(CandidateActions actions) : actions_(std::move(actions)) {}

void CandidateList::set(const std::vector<std::string>& candidates, std::size_t selected) {
  std::vector<std::wstring> wide;
  wide.reserve(candidates.size());
  for (const std::string& c : candidates) wide.push_back(to_wide(c));
  updated_ = 0;
  if (wide != candidates_) updated_ |= TF_CLUIE_COUNT | TF_CLUIE_STRING;
  if (selected != selected_) updated_ |= TF_CLUIE_SELECTION;
  candidates_ = std::move(wide);
  selected_ = selected;
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
  shown_ = show != FALSE;
  return S_OK;
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
  return E_NOTIMPL;
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

// One page that starts at the first candidate. Asked with no array first,
// for the count alone, as SDL and others do.
HRESULT CandidateList::GetPageIndex(UINT* index, UINT size, UINT* page_count) {
  if (page_count == nullptr) return E_INVALIDARG;
  *page_count = 1;
  if (index == nullptr) return S_OK;
  if (size < 1) return E_NOT_SUFFICIENT_BUFFER;
  index[0] = 0;
  return S_OK;
}

HRESULT CandidateList::SetPageIndex(UINT* index, UINT page_count) {
  if (index == nullptr && page_count > 0) return E_INVALIDARG;
  return page_count <= 1 && (page_count == 0 || index[0] == 0) ? S_OK : E_INVALIDARG;
}

HRESULT CandidateList::GetCurrentPage(UINT* page) {
  if (page == nullptr) return E_INVALIDARG;
  *page = 0;
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
