#include "com/boundary.h"
#include "text/wide.h"
#include "tsf/edit/edit_steps.h"
#include "tsf/edit/sessions.h"
#include "tsf/service/text_service.h"

namespace sorla::edit {

using com::ComPtr;

UpdateSession::UpdateSession(ComPtr<tsf::TextService> service, ComPtr<ITfContext> context,
                             EditRecord record)
    : service_(std::move(service)), context_(std::move(context)), record_(std::move(record)) {}

UpdateSession::~UpdateSession() = default;

HRESULT UpdateSession::DoEditSession(TfEditCookie ec) {
  return com::guarded([&] {
    service_->set_own_edit();
    if (record_.finish) return finish_composition(ec);
    const HRESULT hr = apply(ec);
    if (FAILED(hr)) {
      // Whatever the document now holds stays; the next edit starts afresh.
      service_->set_composition(nullptr);
    }
    service_->refresh_ui();
    return hr;
  });
}

// Focus change and deactivation: end the composition with the commit text.
HRESULT UpdateSession::finish_composition(TfEditCookie ec) {
  service_->set_caret(std::nullopt);
  ComPtr<ITfRange> range;
  HRESULT hr = record_.finish->GetRange(range.put());
  if (SUCCEEDED(hr) && range) {
    unmark_range(context_.get(), ec, range.get());
    if (!record_.commit.empty()) {
      const std::wstring commit = to_wide(record_.commit);
      hr = range->SetText(ec, 0, commit.c_str(), static_cast<LONG>(commit.size()));
    }
  }
  const HRESULT ended = record_.finish->EndComposition(ec);
  service_->refresh_ui();
  return FAILED(hr) ? hr : ended;
}

HRESULT UpdateSession::apply(TfEditCookie ec) {
  ITfContext* context = context_.get();
  if (record_.retract) {
    const HRESULT hr = retract_before_selection(context, ec, to_wide(*record_.retract));
    if (FAILED(hr)) return hr;
  }

  ComPtr<ITfComposition> composition = service_->composition();
  const auto insert = context_.query<ITfInsertAtSelection>();
  const std::optional<TfGuidAtom> atom = service_->display_atom();

  if (!record_.commit.empty()) {
    const std::wstring commit = to_wide(record_.commit);
    const LONG length = static_cast<LONG>(commit.size());
    ComPtr<ITfRange> range;
    if (composition) {
      HRESULT hr = composition->GetRange(range.put());
      if (FAILED(hr)) return hr;
      if (!range) return E_FAIL;
      if (FAILED(hr = range->SetText(ec, 0, commit.c_str(), length))) return hr;
      unmark_range(context, ec, range.get());
      if (FAILED(hr = caret_to_end(context, ec, range.get()))) return hr;
      if (FAILED(hr = composition->EndComposition(ec))) return hr;
      service_->set_caret(std::nullopt);
      composition.reset();
      service_->set_composition(nullptr);
    } else {
      if (!insert) return E_NOINTERFACE;
      HRESULT hr = insert->InsertTextAtSelection(ec, 0, commit.c_str(), length, range.put());
      if (FAILED(hr)) return hr;
      if (!range) return E_FAIL;
      if (FAILED(hr = caret_to_end(context, ec, range.get()))) return hr;
    }
  }

  if (!record_.composition_text.empty()) {
    if (!composition) {
      if (!insert) return E_NOINTERFACE;
      ComPtr<ITfRange> at;
      HRESULT hr = insert->InsertTextAtSelection(ec, TF_IAS_QUERYONLY, L"", 0, at.put());
      if (FAILED(hr)) return hr;
      if (!at) return E_FAIL;
      const auto composer = context_.query<ITfContextComposition>();
      if (!composer) return E_NOINTERFACE;
      ITfCompositionSink* sink = service_.get();
      if (FAILED(hr = composer->StartComposition(ec, at.get(), sink, composition.put()))) {
        return hr;
      }
      if (!composition) return E_FAIL;
      // From here on the composition is the service's, whatever fails next.
      service_->set_composition(composition);
    }
    const std::wstring text = to_wide(record_.composition_text);
    ComPtr<ITfRange> range;
    HRESULT hr = composition->GetRange(range.put());
    if (FAILED(hr)) return hr;
    if (!range) return E_FAIL;
    if (FAILED(hr = range->SetText(ec, 0, text.c_str(), static_cast<LONG>(text.size())))) {
      return hr;
    }
    if (FAILED(hr = mark_range(context, ec, range.get(), atom))) return hr;
    if (FAILED(hr = caret_to_end(context, ec, range.get()))) return hr;
    if (const auto rect = text_extent(context, ec, range.get())) {
      service_->set_caret(rect);
    } else {
      request_caret_lookup(*service_.get(), context);
    }
  } else if (composition) {
    ComPtr<ITfRange> range;
    HRESULT hr = composition->GetRange(range.put());
    if (FAILED(hr)) return hr;
    if (!range) return E_FAIL;
    unmark_range(context, ec, range.get());
    if (FAILED(hr = range->SetText(ec, 0, L"", 0))) return hr;
    if (FAILED(hr = composition->EndComposition(ec))) return hr;
    service_->set_caret(std::nullopt);
    service_->set_composition(nullptr);
  }
  return S_OK;
}

}  // namespace sorla::edit
