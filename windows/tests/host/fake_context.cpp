#include <algorithm>
#include <cwchar>

#include "guids.h"
#include "host/fake_tsf.h"

namespace sorla::host {

namespace {

template <class T>
HRESULT hand_out(const ComPtr<T>& object, T** out) {
  if (out == nullptr) return E_INVALIDARG;
  *out = ComPtr<T>(object).detach();
  return S_OK;
}

}  // namespace

// ---- FakeRange ----

FakeRange::FakeRange(FakeContext* context, std::shared_ptr<Span> span)
    : context_(ComPtr<FakeContext>::retain(context)), span_(std::move(span)) {}

HRESULT FakeRange::GetText(TfEditCookie ec, DWORD, WCHAR* text, ULONG max, ULONG* got) {
  if (!context_->can_read(ec)) return TF_E_NOLOCK;
  if (got == nullptr) return E_INVALIDARG;
  const ULONG n = std::min<ULONG>(max, static_cast<ULONG>(span_->end - span_->start));
  std::copy_n(context_->document().text().data() + span_->start, n, text);
  *got = n;
  return S_OK;
}

HRESULT FakeRange::SetText(TfEditCookie ec, DWORD, const WCHAR* text, LONG length) {
  if (!context_->can_write(ec)) return TF_E_NOLOCK;
  if (length < 0) length = text ? static_cast<LONG>(std::wcslen(text)) : 0;
  context_->document().replace(span_->start, span_->end,
                               std::wstring_view(text ? text : L"", static_cast<size_t>(length)),
                               span_.get());
  return S_OK;
}

HRESULT FakeRange::GetFormattedText(TfEditCookie, IDataObject**) { return E_NOTIMPL; }
HRESULT FakeRange::GetEmbedded(TfEditCookie, REFGUID, REFIID, IUnknown**) { return E_NOTIMPL; }
HRESULT FakeRange::InsertEmbedded(TfEditCookie, DWORD, IDataObject*) { return E_NOTIMPL; }

HRESULT FakeRange::ShiftStart(TfEditCookie ec, LONG request, LONG* moved, const TF_HALTCOND*) {
  if (!context_->can_read(ec)) return TF_E_NOLOCK;
  const LONG target = std::clamp<LONG>(span_->start + request, 0, context_->document().length());
  if (moved) *moved = target - span_->start;
  span_->start = target;
  span_->end = std::max(span_->end, target);
  return S_OK;
}

HRESULT FakeRange::ShiftEnd(TfEditCookie ec, LONG request, LONG* moved, const TF_HALTCOND*) {
  if (!context_->can_read(ec)) return TF_E_NOLOCK;
  const LONG target = std::clamp<LONG>(span_->end + request, 0, context_->document().length());
  if (moved) *moved = target - span_->end;
  span_->end = target;
  span_->start = std::min(span_->start, target);
  return S_OK;
}

HRESULT FakeRange::ShiftStartToRange(TfEditCookie, ITfRange*, TfAnchor) { return E_NOTIMPL; }
HRESULT FakeRange::ShiftEndToRange(TfEditCookie, ITfRange*, TfAnchor) { return E_NOTIMPL; }
HRESULT FakeRange::ShiftStartRegion(TfEditCookie, TfShiftDir, BOOL*) { return E_NOTIMPL; }
HRESULT FakeRange::ShiftEndRegion(TfEditCookie, TfShiftDir, BOOL*) { return E_NOTIMPL; }

HRESULT FakeRange::IsEmpty(TfEditCookie ec, BOOL* empty) {
  if (!context_->can_read(ec)) return TF_E_NOLOCK;
  if (empty == nullptr) return E_INVALIDARG;
  *empty = span_->start == span_->end;
  return S_OK;
}

HRESULT FakeRange::Collapse(TfEditCookie ec, TfAnchor anchor) {
  if (!context_->can_read(ec)) return TF_E_NOLOCK;
  if (anchor == TF_ANCHOR_START) {
    span_->end = span_->start;
  } else {
    span_->start = span_->end;
  }
  return S_OK;
}

HRESULT FakeRange::IsEqualStart(TfEditCookie, ITfRange*, TfAnchor, BOOL*) { return E_NOTIMPL; }
HRESULT FakeRange::IsEqualEnd(TfEditCookie, ITfRange*, TfAnchor, BOOL*) { return E_NOTIMPL; }
HRESULT FakeRange::CompareStart(TfEditCookie, ITfRange*, TfAnchor, LONG*) { return E_NOTIMPL; }
HRESULT FakeRange::CompareEnd(TfEditCookie, ITfRange*, TfAnchor, LONG*) { return E_NOTIMPL; }
HRESULT FakeRange::AdjustForInsert(TfEditCookie, ULONG, BOOL*) { return E_NOTIMPL; }
HRESULT FakeRange::GetGravity(TfGravity*, TfGravity*) { return E_NOTIMPL; }
HRESULT FakeRange::SetGravity(TfEditCookie, TfGravity, TfGravity) { return E_NOTIMPL; }

HRESULT FakeRange::Clone(ITfRange** clone) {
  if (clone == nullptr) return E_INVALIDARG;
  *clone = com::make_object<FakeRange>(context_.get(), context_->document().track(*span_)).detach();
  return S_OK;
}

HRESULT FakeRange::GetContext(ITfContext** context) {
  return hand_out(ComPtr<ITfContext>::retain(context_.get()), context);
}

// ---- FakeComposition ----

FakeComposition::FakeComposition(FakeContext* context, std::shared_ptr<Span> span,
                                 ComPtr<ITfCompositionSink> sink)
    : context_(ComPtr<FakeContext>::retain(context)),
      span_(std::move(span)),
      sink_(std::move(sink)) {}

HRESULT FakeComposition::GetRange(ITfRange** range) {
  if (range == nullptr) return E_INVALIDARG;
  // Shares the composition's own span, so writes through it move the
  // composition as TSF's anchors would.
  *range = com::make_object<FakeRange>(context_.get(), span_).detach();
  return S_OK;
}

HRESULT FakeComposition::ShiftStart(TfEditCookie, ITfRange*) { return E_NOTIMPL; }
HRESULT FakeComposition::ShiftEnd(TfEditCookie, ITfRange*) { return E_NOTIMPL; }

HRESULT FakeComposition::EndComposition(TfEditCookie ec) {
  if (ended_) return E_UNEXPECTED;
  if (!context_->can_write(ec)) return TF_E_NOLOCK;
  ended_ = true;
  context_->composition_ended(this);
  return S_OK;
}

// ---- FakeProperty, FakeView, FakeEditRecord ----

HRESULT FakeProperty::GetType(GUID* guid) {
  if (guid == nullptr) return E_INVALIDARG;
  *guid = ids::kPropAttribute;
  return S_OK;
}
HRESULT FakeProperty::EnumRanges(TfEditCookie, IEnumTfRanges**, ITfRange*) { return E_NOTIMPL; }
HRESULT FakeProperty::GetValue(TfEditCookie, ITfRange*, VARIANT*) { return E_NOTIMPL; }
HRESULT FakeProperty::GetContext(ITfContext** context) {
  return hand_out(ComPtr<ITfContext>::retain(context_), context);
}
HRESULT FakeProperty::FindRange(TfEditCookie, ITfRange*, ITfRange**, TfAnchor) { return E_NOTIMPL; }
HRESULT FakeProperty::SetValueStore(TfEditCookie, ITfRange*, ITfPropertyStore*) {
  return E_NOTIMPL;
}

HRESULT FakeProperty::SetValue(TfEditCookie ec, ITfRange* range, const VARIANT* value) {
  if (!context_->can_write(ec)) return TF_E_NOLOCK;
  auto* own = dynamic_cast<FakeRange*>(range);
  if (own == nullptr || own->owner() != context_ || value == nullptr || value->vt != VT_I4) {
    return E_INVALIDARG;
  }
  context_->document().set_attribute(*own->span(), static_cast<DWORD>(value->lVal));
  return S_OK;
}

HRESULT FakeProperty::Clear(TfEditCookie ec, ITfRange* range) {
  if (!context_->can_write(ec)) return TF_E_NOLOCK;
  auto* own = dynamic_cast<FakeRange*>(range);
  if (own == nullptr || own->owner() != context_) return E_INVALIDARG;
  context_->document().set_attribute(*own->span(), 0);
  return S_OK;
}

HRESULT FakeView::GetRangeFromPoint(TfEditCookie, const POINT*, DWORD, ITfRange**) {
  return E_NOTIMPL;
}
HRESULT FakeView::GetScreenExt(RECT*) { return E_NOTIMPL; }
HRESULT FakeView::GetWnd(HWND* hwnd) {
  if (hwnd) *hwnd = context_->view_window();
  return S_OK;
}

HRESULT FakeView::GetTextExt(TfEditCookie ec, ITfRange* range, RECT* rect, BOOL* clipped) {
  if (!context_->can_read(ec)) return TF_E_NOLOCK;
  auto* own = dynamic_cast<FakeRange*>(range);
  if (own == nullptr || rect == nullptr) return E_INVALIDARG;
  *rect = context_->text_extent_of(*own->span());
  if (clipped) *clipped = FALSE;
  return S_OK;
}

HRESULT FakeEditRecord::GetSelectionStatus(BOOL* changed) {
  if (changed == nullptr) return E_INVALIDARG;
  *changed = selection_changed_ ? TRUE : FALSE;
  return S_OK;
}
HRESULT FakeEditRecord::GetTextAndPropertyUpdates(DWORD flags, const GUID** properties, ULONG count,
                                                  IEnumTfRanges** out) {
  if (out == nullptr || (count > 0 && properties == nullptr)) return E_INVALIDARG;
  // Text changes are not recorded here: only a question about the scopes alone is answered.
  if ((flags & TF_GTP_INCL_TEXT) != 0) return E_NOTIMPL;
  bool asked = false;
  for (ULONG i = 0; i < count; ++i) asked |= IsEqualGUID(*properties[i], ids::kPropInputScope);
  *out = com::make_object<FakeRangeEnum>(asked ? scopes_over_ : nullptr).detach();
  return S_OK;
}

HRESULT FakeRangeEnum::Next(ULONG count, ITfRange** ranges, ULONG* fetched) {
  if (ranges == nullptr) return E_INVALIDARG;
  if (fetched) *fetched = 0;
  if (count == 0) return S_OK;
  if (!range_ || given_) return S_FALSE;
  given_ = true;
  range_->AddRef();
  ranges[0] = range_.get();
  if (fetched) *fetched = 1;
  return count == 1 ? S_OK : S_FALSE;
}

HRESULT FakeRangeEnum::Reset() {
  given_ = false;
  return S_OK;
}

// ---- FakeContext ----

FakeContext::FakeContext(TfClientId expected_client)
    : expected_client_(expected_client),
      attribute_(com::make_object<FakeProperty>(this)),
      view_(com::make_object<FakeView>(this)) {}

FakeContext::~FakeContext() = default;

void FakeContext::shut_down() {
  compositions_.clear();
  edit_sinks_.clear();
  queue_.clear();
}

bool FakeContext::can_read(TfEditCookie ec) const {
  if (fail_countdown_ > 0 && --fail_countdown_ == 0) return false;
  return cookie_ != 0 && ec == cookie_;
}
bool FakeContext::can_write(TfEditCookie ec) const { return can_read(ec) && write_; }

RECT FakeContext::text_extent_of(const Span& span) const {
  if (IsRectEmpty(&extent_)) return RECT{0, 0, 0, 0};
  RECT rect = extent_;
  OffsetRect(&rect, 10 * span.start, 0);
  rect.right += 10 * (span.end - span.start);
  return rect;
}

HRESULT FakeContext::RequestEditSession(TfClientId client, ITfEditSession* session, DWORD flags,
                                        HRESULT* result) {
  if (session == nullptr || result == nullptr || client != expected_client_) return E_INVALIDARG;
  const bool sync = (flags & TF_ES_SYNC) != 0;
  const bool async = (flags & TF_ES_ASYNC) != 0;
  const bool write = (flags & TF_ES_READWRITE) == TF_ES_READWRITE;
  const bool busy = cookie_ != 0 || refuse_sync_;
  if (sync && busy) {
    *result = TF_E_SYNCHRONOUS;
    return S_OK;
  }
  if (async || busy) {
    queue_.push_back({ComPtr<ITfEditSession>::retain(session), write});
    *result = TF_S_ASYNC;
    return S_OK;
  }
  *result = run(session, write);
  return S_OK;
}

HRESULT FakeContext::run(ITfEditSession* session, bool write) {
  const Span before = document_.selection();
  cookie_ = next_cookie_++;
  write_ = write;
  ++sessions_run_;
  const HRESULT hr = session->DoEditSession(cookie_);
  cookie_ = 0;
  write_ = false;
  if (write) {
    const Span after = document_.selection();
    notify_end_edit(before.start != after.start || before.end != after.end);
  }
  return hr;
}

void FakeContext::run_queued() {
  while (!queue_.empty() && !refuse_sync_) {
    Queued next = std::move(queue_.front());
    queue_.pop_front();
    run(next.session.get(), next.write);
  }
}

void FakeContext::notify_end_edit(bool selection_changed, bool scopes_changed) {
  // A copy: a sink may unadvise while it is told.
  const auto sinks = edit_sinks_;
  ComPtr<ITfRange> whole;
  if (scopes_changed) {
    whole = ComPtr<ITfRange>::adopt(
        com::make_object<FakeRange>(this, document_.track({0, 0})).detach());
  }
  cookie_ = next_cookie_++;
  for (const auto& [cookie, sink] : sinks) {
    ComPtr<ITfEditRecord> record;
    if (!null_records_) {
      record = ComPtr<ITfEditRecord>::adopt(
          com::make_object<FakeEditRecord>(selection_changed, scopes_changed ? whole : nullptr)
              .detach());
    }
    sink->OnEndEdit(this, cookie_, record.get());
  }
  cookie_ = 0;
}

void FakeContext::app_change_input_scopes(std::vector<InputScope> scopes) {
  scopes_ = std::move(scopes);
  notify_end_edit(false, true);
}

void FakeContext::app_select(LONG start, LONG end) {
  document_.select(start, end);
  notify_end_edit(true);
}

void FakeContext::app_type(std::wstring_view text) {
  const Span at = document_.selection();
  document_.replace(at.start, at.end, text);
  const LONG caret = at.start + static_cast<LONG>(text.size());
  document_.select(caret, caret);
  notify_end_edit(true);
}

void FakeContext::app_backspace() {
  const Span at = document_.selection();
  if (at.start == at.end && at.start == 0) return;
  const LONG from = at.start == at.end ? at.start - 1 : at.start;
  document_.replace(from, at.end, L"");
  document_.select(from, from);
  notify_end_edit(true);
}

void FakeContext::app_replace_quietly(LONG start, LONG end, std::wstring_view with) {
  document_.replace(start, end, with);
}

void FakeContext::app_end_compositions() {
  cookie_ = next_cookie_++;
  write_ = true;
  const auto active = compositions_;
  for (const auto& composition : active) {
    composition->end();
    composition_ended(composition.get());
    if (composition->sink())
      composition->sink()->OnCompositionTerminated(cookie_, composition.get());
  }
  cookie_ = 0;
  write_ = false;
}

void FakeContext::composition_ended(FakeComposition* composition) {
  compositions_.erase(std::remove_if(compositions_.begin(), compositions_.end(),
                                     [&](const auto& c) { return c.get() == composition; }),
                      compositions_.end());
}

std::optional<Span> FakeContext::composition_span() const {
  if (compositions_.size() != 1) return std::nullopt;
  return compositions_.front()->span();
}

std::optional<std::wstring> FakeContext::composition_text() const {
  const auto span = composition_span();
  if (!span) return std::nullopt;
  return document_.text().substr(static_cast<std::size_t>(span->start),
                                 static_cast<std::size_t>(span->end - span->start));
}

FakeRange* FakeContext::own_range(ITfRange* range) const {
  auto* own = dynamic_cast<FakeRange*>(range);
  return own && own->owner() == this ? own : nullptr;
}

HRESULT FakeContext::InWriteSession(TfClientId, BOOL*) { return E_NOTIMPL; }

HRESULT FakeContext::GetSelection(TfEditCookie ec, ULONG index, ULONG count,
                                  TF_SELECTION* selection, ULONG* fetched) {
  if (!can_read(ec)) return TF_E_NOLOCK;
  if (selection == nullptr || fetched == nullptr) return E_INVALIDARG;
  *fetched = 0;
  if (count == 0) return S_OK;
  if (index != static_cast<ULONG>(TF_DEFAULT_SELECTION) && index != 0) return TS_E_NOSELECTION;
  selection[0].range =
      com::make_object<FakeRange>(this, document_.track(document_.selection())).detach();
  selection[0].style.ase = TF_AE_END;
  selection[0].style.fInterimChar = FALSE;
  *fetched = 1;
  return S_OK;
}

HRESULT FakeContext::SetSelection(TfEditCookie ec, ULONG count, const TF_SELECTION* selection) {
  if (!can_write(ec)) return TF_E_NOLOCK;
  if (count != 1 || selection == nullptr) return E_INVALIDARG;
  FakeRange* own = own_range(selection[0].range);
  if (own == nullptr) return E_INVALIDARG;
  document_.select(own->span()->start, own->span()->end);
  return S_OK;
}

HRESULT FakeContext::GetStart(TfEditCookie ec, ITfRange** range) {
  if (!can_read(ec)) return TF_E_NOLOCK;
  if (range == nullptr) return E_INVALIDARG;
  *range = com::make_object<FakeRange>(this, document_.track({0, 0})).detach();
  return S_OK;
}

HRESULT FakeContext::GetEnd(TfEditCookie ec, ITfRange** range) {
  if (!can_read(ec)) return TF_E_NOLOCK;
  if (range == nullptr) return E_INVALIDARG;
  const LONG end = document_.length();
  *range = com::make_object<FakeRange>(this, document_.track({end, end})).detach();
  return S_OK;
}

HRESULT FakeContext::GetActiveView(ITfContextView** view) {
  return hand_out(ComPtr<ITfContextView>::retain(view_.get()), view);
}
HRESULT FakeContext::EnumViews(IEnumTfContextViews**) { return E_NOTIMPL; }
HRESULT FakeContext::GetStatus(TF_STATUS* status) {
  if (status == nullptr) return E_INVALIDARG;
  *status = {};
  if (read_only_) status->dwDynamicFlags = TF_SD_READONLY;
  return S_OK;
}

HRESULT FakeContext::GetProperty(REFGUID guid, ITfProperty** property) {
  if (property == nullptr) return E_INVALIDARG;
  *property = nullptr;
  if (!IsEqualGUID(guid, ids::kPropAttribute)) return E_INVALIDARG;
  return hand_out(ComPtr<ITfProperty>::retain(attribute_.get()), property);
}

HRESULT FakeContext::GetAppProperty(REFGUID guid, ITfReadOnlyProperty** property) {
  if (property == nullptr) return E_INVALIDARG;
  *property = nullptr;
  if (!scopes_ || !IsEqualGUID(guid, ids::kPropInputScope)) return E_NOTIMPL;
  *property = com::make_object<FakeScopeProperty>(this, *scopes_).detach();
  return S_OK;
}

HRESULT FakeContext::GetCompartment(REFGUID guid, ITfCompartment** compartment) {
  if (compartment == nullptr) return E_INVALIDARG;
  const bool disabled = IsEqualGUID(guid, ids::kCompartmentKeyboardDisabled) && keyboard_disabled_;
  *compartment = com::make_object<FakeCompartment>(disabled ? 1 : 0).detach();
  return S_OK;
}

HRESULT FakeInputScope::GetInputScopes(InputScope** scopes, UINT* count) {
  if (scopes == nullptr || count == nullptr) return E_INVALIDARG;
  *scopes = static_cast<InputScope*>(CoTaskMemAlloc(sizeof(InputScope) * (scopes_.size() + 1)));
  if (*scopes == nullptr) return E_OUTOFMEMORY;
  std::copy(scopes_.begin(), scopes_.end(), *scopes);
  *count = static_cast<UINT>(scopes_.size());
  return S_OK;
}

HRESULT FakeScopeProperty::GetValue(TfEditCookie ec, ITfRange*, VARIANT* value) {
  if (value == nullptr) return E_INVALIDARG;
  if (!context_->can_read(ec)) return TF_E_NOLOCK;
  VariantInit(value);
  value->vt = VT_UNKNOWN;
  value->punkVal = com::make_object<FakeInputScope>(scopes_).detach();
  return S_OK;
}

HRESULT FakeCompartment::GetValue(VARIANT* value) {
  if (value == nullptr) return E_INVALIDARG;
  VariantInit(value);
  value->vt = VT_I4;
  value->lVal = value_;
  return S_OK;
}
HRESULT FakeContext::TrackProperties(const GUID**, ULONG, const GUID**, ULONG,
                                     ITfReadOnlyProperty**) {
  return E_NOTIMPL;
}
HRESULT FakeContext::EnumProperties(IEnumTfProperties**) { return E_NOTIMPL; }
HRESULT FakeContext::GetDocumentMgr(ITfDocumentMgr** document) {
  if (document == nullptr) return E_INVALIDARG;
  *document = document_mgr_;
  if (document_mgr_ == nullptr) return E_FAIL;
  document_mgr_->AddRef();
  return S_OK;
}
HRESULT FakeContext::CreateRangeBackup(TfEditCookie, ITfRange*, ITfRangeBackup**) {
  return E_NOTIMPL;
}

HRESULT FakeContext::InsertTextAtSelection(TfEditCookie ec, DWORD flags, const WCHAR* text,
                                           LONG length, ITfRange** range) {
  if (flags & TF_IAS_QUERYONLY) {
    if (!can_read(ec)) return TF_E_NOLOCK;
    if (range == nullptr) return E_INVALIDARG;
    *range = com::make_object<FakeRange>(this, document_.track(document_.selection())).detach();
    return S_OK;
  }
  if (!can_write(ec)) return TF_E_NOLOCK;
  if (length < 0) length = text ? static_cast<LONG>(std::wcslen(text)) : 0;
  const Span at = document_.selection();
  auto inserted = document_.track(at);
  document_.replace(at.start, at.end,
                    std::wstring_view(text ? text : L"", static_cast<size_t>(length)),
                    inserted.get());
  document_.select(inserted->end, inserted->end);
  if (range) *range = com::make_object<FakeRange>(this, std::move(inserted)).detach();
  return S_OK;
}

HRESULT FakeContext::InsertEmbeddedAtSelection(TfEditCookie, DWORD, IDataObject*, ITfRange**) {
  return E_NOTIMPL;
}

HRESULT FakeContext::StartComposition(TfEditCookie ec, ITfRange* range, ITfCompositionSink* sink,
                                      ITfComposition** composition) {
  if (no_compositions_) return E_NOINTERFACE;
  if (!can_write(ec)) return TF_E_NOLOCK;
  FakeRange* own = own_range(range);
  if (own == nullptr || composition == nullptr) return E_INVALIDARG;
  auto made = com::make_object<FakeComposition>(this, document_.track(*own->span()),
                                                ComPtr<ITfCompositionSink>::retain(sink));
  compositions_.push_back(made);
  *composition = made.detach();
  return S_OK;
}

HRESULT FakeContext::EnumCompositions(IEnumITfCompositionView**) { return E_NOTIMPL; }
HRESULT FakeContext::FindComposition(TfEditCookie, ITfRange*, IEnumITfCompositionView**) {
  return E_NOTIMPL;
}
HRESULT FakeContext::TakeOwnership(TfEditCookie, ITfCompositionView*, ITfCompositionSink*,
                                   ITfComposition**) {
  return E_NOTIMPL;
}

HRESULT FakeContext::AdviseSink(REFIID iid, IUnknown* sink, DWORD* cookie) {
  if (sink == nullptr || cookie == nullptr) return E_INVALIDARG;
  if (!IsEqualIID(iid, __uuidof(ITfTextEditSink))) return CONNECT_E_CANNOTCONNECT;
  ComPtr<ITfTextEditSink> edit_sink;
  const HRESULT hr = sink->QueryInterface(__uuidof(ITfTextEditSink), edit_sink.put_void());
  if (FAILED(hr)) return hr;
  *cookie = next_sink_cookie_++;
  edit_sinks_[*cookie] = std::move(edit_sink);
  return S_OK;
}

HRESULT FakeContext::UnadviseSink(DWORD cookie) {
  return edit_sinks_.erase(cookie) ? S_OK : CONNECT_E_NOCONNECTION;
}

}  // namespace sorla::host
