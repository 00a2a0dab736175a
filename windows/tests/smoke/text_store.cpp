#include "smoke/text_store.h"

#include <algorithm>
#include <utility>

namespace sorla::smoke {

HRESULT TextStore::AdviseSink(REFIID iid, IUnknown* sink, DWORD) {
  if (!IsEqualIID(iid, __uuidof(ITextStoreACPSink)) || sink == nullptr) return E_INVALIDARG;
  if (sink_) return CONNECT_E_ADVISELIMIT;
  return sink->QueryInterface(__uuidof(ITextStoreACPSink), sink_.put_void());
}

HRESULT TextStore::UnadviseSink(IUnknown*) {
  if (!sink_) return CONNECT_E_NOCONNECTION;
  sink_.reset();
  return S_OK;
}

HRESULT TextStore::RequestLock(DWORD flags, HRESULT* result) {
  if (!sink_) return E_UNEXPECTED;
  if (result == nullptr) return E_INVALIDARG;
  if (lock_) {
    if (flags & TS_LF_SYNC) {
      *result = TS_E_SYNCHRONOUS;
    } else {
      queued_ = flags & TS_LF_READWRITE;
      *result = TS_S_ASYNC;
    }
    return S_OK;
  }
  lock_ = flags & TS_LF_READWRITE;
  *result = sink_->OnLockGranted(lock_);
  lock_ = 0;
  while (queued_) {
    lock_ = std::exchange(queued_, 0);
    sink_->OnLockGranted(lock_);
    lock_ = 0;
  }
  return S_OK;
}

HRESULT TextStore::GetStatus(TS_STATUS* status) {
  if (status == nullptr) return E_INVALIDARG;
  status->dwDynamicFlags = 0;
  status->dwStaticFlags = TS_SS_NOHIDDENTEXT;
  return S_OK;
}

HRESULT TextStore::QueryInsert(LONG start, LONG end, ULONG, LONG* result_start, LONG* result_end) {
  if (start < 0 || start > end || end > static_cast<LONG>(text_.size())) return E_INVALIDARG;
  *result_start = start;
  *result_end = end;
  return S_OK;
}

HRESULT TextStore::GetSelection(ULONG index, ULONG count, TS_SELECTION_ACP* selection,
                                ULONG* fetched) {
  if (!lock_) return TS_E_NOLOCK;
  *fetched = 0;
  if (count == 0) return S_OK;
  if (index != static_cast<ULONG>(TS_DEFAULT_SELECTION) && index != 0) return TS_E_NOSELECTION;
  selection[0].acpStart = selection_start_;
  selection[0].acpEnd = selection_end_;
  selection[0].style.ase = TS_AE_END;
  selection[0].style.fInterimChar = FALSE;
  *fetched = 1;
  return S_OK;
}

HRESULT TextStore::SetSelection(ULONG count, const TS_SELECTION_ACP* selection) {
  if (!lock_) return TS_E_NOLOCK;
  if (count < 1) return E_INVALIDARG;
  const LONG length = static_cast<LONG>(text_.size());
  if (selection[0].acpStart < 0 || selection[0].acpStart > selection[0].acpEnd ||
      selection[0].acpEnd > length) {
    return TS_E_INVALIDPOS;
  }
  selection_start_ = selection[0].acpStart;
  selection_end_ = selection[0].acpEnd;
  return S_OK;
}

HRESULT TextStore::GetText(LONG start, LONG end, WCHAR* plain, ULONG plain_max, ULONG* plain_got,
                           TS_RUNINFO* runs, ULONG runs_max, ULONG* runs_got, LONG* next) {
  if (!lock_) return TS_E_NOLOCK;
  const LONG length = static_cast<LONG>(text_.size());
  if (end == -1) end = length;
  if (start < 0 || start > end || end > length) return TS_E_INVALIDPOS;
  const ULONG n = std::min<ULONG>(static_cast<ULONG>(end - start), plain_max);
  if (plain) std::copy_n(text_.data() + start, n, plain);
  if (plain_got) *plain_got = n;
  if (runs_got) *runs_got = 0;
  if (runs && runs_max > 0 && n > 0) {
    runs[0].uCount = n;
    runs[0].type = TS_RT_PLAIN;
    if (runs_got) *runs_got = 1;
  }
  if (next) *next = start + static_cast<LONG>(n);
  return S_OK;
}

void TextStore::replace(LONG start, LONG end, const WCHAR* text, ULONG length,
                        TS_TEXTCHANGE* change) {
  text_.replace(static_cast<size_t>(start), static_cast<size_t>(end - start),
                std::wstring(text ? text : L"", length));
  if (change) {
    change->acpStart = start;
    change->acpOldEnd = end;
    change->acpNewEnd = start + static_cast<LONG>(length);
  }
}

HRESULT TextStore::SetText(DWORD, LONG start, LONG end, const WCHAR* text, ULONG length,
                           TS_TEXTCHANGE* change) {
  if ((lock_ & TS_LF_READWRITE) != TS_LF_READWRITE) return TS_E_NOLOCK;
  if (start < 0 || start > end || end > static_cast<LONG>(text_.size())) return TS_E_INVALIDPOS;
  replace(start, end, text, length, change);
  selection_start_ = selection_end_ = start + static_cast<LONG>(length);
  return S_OK;
}

HRESULT TextStore::InsertTextAtSelection(DWORD flags, const WCHAR* text, ULONG length, LONG* start,
                                         LONG* end, TS_TEXTCHANGE* change) {
  if (flags & TS_IAS_QUERYONLY) {
    if (!lock_) return TS_E_NOLOCK;
    if (start) *start = selection_start_;
    if (end) *end = selection_end_;
    return S_OK;
  }
  if ((lock_ & TS_LF_READWRITE) != TS_LF_READWRITE) return TS_E_NOLOCK;
  const LONG at = selection_start_;
  replace(at, selection_end_, text, length, change);
  selection_start_ = selection_end_ = at + static_cast<LONG>(length);
  if (!(flags & TS_IAS_NOQUERY)) {
    if (start) *start = at;
    if (end) *end = selection_end_;
  }
  return S_OK;
}

HRESULT TextStore::GetFormattedText(LONG, LONG, IDataObject**) { return E_NOTIMPL; }
HRESULT TextStore::GetEmbedded(LONG, REFGUID, REFIID, IUnknown**) { return E_NOTIMPL; }
HRESULT TextStore::QueryInsertEmbedded(const GUID*, const FORMATETC*, BOOL* insertable) {
  if (insertable) *insertable = FALSE;
  return S_OK;
}
HRESULT TextStore::InsertEmbedded(DWORD, LONG, LONG, IDataObject*, TS_TEXTCHANGE*) {
  return E_NOTIMPL;
}
HRESULT TextStore::InsertEmbeddedAtSelection(DWORD, IDataObject*, LONG*, LONG*, TS_TEXTCHANGE*) {
  return E_NOTIMPL;
}
HRESULT TextStore::RequestSupportedAttrs(DWORD, ULONG, const TS_ATTRID*) { return S_OK; }
HRESULT TextStore::RequestAttrsAtPosition(LONG, ULONG, const TS_ATTRID*, DWORD) { return S_OK; }
HRESULT TextStore::RequestAttrsTransitioningAtPosition(LONG, ULONG, const TS_ATTRID*, DWORD) {
  return S_OK;
}
HRESULT TextStore::FindNextAttrTransition(LONG, LONG halt, ULONG, const TS_ATTRID*, DWORD,
                                          LONG* next, BOOL* found, LONG* offset) {
  if (next) *next = halt;
  if (found) *found = FALSE;
  if (offset) *offset = 0;
  return S_OK;
}
HRESULT TextStore::RetrieveRequestedAttrs(ULONG, TS_ATTRVAL*, ULONG* fetched) {
  if (fetched) *fetched = 0;
  return S_OK;
}

HRESULT TextStore::GetEndACP(LONG* end) {
  if (!lock_) return TS_E_NOLOCK;
  *end = static_cast<LONG>(text_.size());
  return S_OK;
}

HRESULT TextStore::GetActiveView(TsViewCookie* view) {
  *view = 1;
  return S_OK;
}
HRESULT TextStore::GetACPFromPoint(TsViewCookie, const POINT*, DWORD, LONG* at) {
  *at = 0;
  return S_OK;
}
HRESULT TextStore::GetTextExt(TsViewCookie, LONG, LONG, RECT* rect, BOOL* clipped) {
  SetRect(rect, 100, 200, 110, 224);
  if (clipped) *clipped = FALSE;
  return S_OK;
}
HRESULT TextStore::GetScreenExt(TsViewCookie, RECT* rect) {
  SetRect(rect, 80, 180, 720, 260);
  return S_OK;
}
HRESULT TextStore::GetWnd(TsViewCookie, HWND* hwnd) {
  *hwnd = nullptr;
  return S_OK;
}

}  // namespace sorla::smoke
