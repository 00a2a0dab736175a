#include "tsf/edit/plan_run.h"

#include "text/wide.h"
#include "tsf/edit/edit_steps.h"

namespace sorla::edit {
namespace {

using com::ComPtr;

HRESULT composition_range(const PlanTarget& t, ComPtr<ITfRange>& range) {
  const HRESULT hr = t.composition->GetRange(range.put());
  if (FAILED(hr)) return hr;
  return range ? S_OK : E_FAIL;
}

HRESULT end(PlanTarget& t) {
  const HRESULT hr = end_composition(t.context, t.ec, t.composition.get());
  if (FAILED(hr)) return hr;  // still open: the caller ends it
  t.composition.reset();
  t.caret.reset();
  t.caret_unknown = false;
  return hr;
}

HRESULT commit(PlanTarget& t, const std::wstring& text) {
  const LONG length = static_cast<LONG>(text.size());
  ComPtr<ITfRange> range;
  HRESULT hr;
  if (t.composition) {
    if (FAILED(hr = composition_range(t, range))) return hr;
    if (FAILED(hr = range->SetText(t.ec, 0, text.c_str(), length))) return hr;
    if (FAILED(hr = caret_to_end(t.context, t.ec, range.get()))) return hr;
    return end(t);
  }
  const auto insert = ComPtr<ITfContext>::retain(t.context).query<ITfInsertAtSelection>();
  if (!insert) return E_NOINTERFACE;
  if (FAILED(hr = insert->InsertTextAtSelection(t.ec, 0, text.c_str(), length, range.put()))) {
    return hr;
  }
  if (!range) return E_FAIL;
  return caret_to_end(t.context, t.ec, range.get());
}

HRESULT start(PlanTarget& t) {
  const auto context = ComPtr<ITfContext>::retain(t.context);
  const auto insert = context.query<ITfInsertAtSelection>();
  const auto composer = context.query<ITfContextComposition>();
  if (!insert || !composer) return E_NOINTERFACE;
  ComPtr<ITfRange> at;
  HRESULT hr = insert->InsertTextAtSelection(t.ec, TF_IAS_QUERYONLY, L"", 0, at.put());
  if (FAILED(hr)) return hr;
  if (!at) return E_FAIL;
  if (FAILED(hr = composer->StartComposition(t.ec, at.get(), t.sink, t.composition.put()))) {
    return hr;
  }
  return t.composition ? S_OK : E_FAIL;
}

HRESULT compose(PlanTarget& t, const std::wstring& text) {
  HRESULT hr;
  if (!t.composition && FAILED(hr = start(t))) return hr;
  ComPtr<ITfRange> range;
  if (FAILED(hr = composition_range(t, range))) return hr;
  if (FAILED(hr = range->SetText(t.ec, 0, text.c_str(), static_cast<LONG>(text.size())))) {
    return hr;
  }
  if (text.empty()) return S_OK;
  if (FAILED(hr = mark_range(t.context, t.ec, range.get(), t.atom))) return hr;
  if (FAILED(hr = caret_to_end(t.context, t.ec, range.get()))) return hr;
  t.caret = text_extent(t.context, t.ec, range.get());
  t.caret_unknown = !t.caret;
  return S_OK;
}

}  // namespace

HRESULT run_plan(PlanTarget& target, const EditPlan& plan) {
  for (const EditOp& op : plan) {
    HRESULT hr = S_OK;
    switch (op.kind) {
      case EditOp::Kind::TakeBack:
        hr = retract_before_selection(target.context, target.ec, to_wide(op.text));
        break;
      case EditOp::Kind::Commit:
        hr = commit(target, to_wide(op.text));
        break;
      case EditOp::Kind::Compose:
        hr = compose(target, to_wide(op.text));
        break;
      case EditOp::Kind::EndComposition:
        if (target.composition) hr = end(target);
        break;
    }
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

}  // namespace sorla::edit
