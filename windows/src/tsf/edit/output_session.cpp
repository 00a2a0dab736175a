#include "com/boundary.h"
#include "tsf/edit/edit_steps.h"
#include "tsf/edit/plan_run.h"
#include "tsf/edit/sessions.h"

namespace sorla::edit {

using com::ComPtr;

HRESULT OutputSession::DoEditSession(TfEditCookie ec) {
  return com::guarded([&] {
    EditStart start = host_->begin_edit();
    PlanTarget target{context_.get(), ec,   start.atom, start.sink, std::move(start.composition),
                      std::nullopt,   false};
    const HRESULT hr = run_plan(target, plan_);
    if (FAILED(hr) && target.composition) {
      // Left open, the composition would take the next letter into a second
      // one. What the document shows stays; the session starts afresh.
      end_composition(context_.get(), ec, target.composition.get());
      target.composition.reset();
    }
    const bool look_up = target.caret_unknown;
    host_->edit_done(context_.get(), std::move(target.composition), target.caret);
    if (look_up) request_caret_lookup(*host_.get(), context_.get());
    return hr;
  });
}

HRESULT EndSession::DoEditSession(TfEditCookie ec) {
  return com::guarded([&] {
    host_->begin_edit();
    PlanTarget target{context_.get(), ec, std::nullopt, nullptr, composition_, std::nullopt, false};
    HRESULT hr = run_plan(target, plan_);
    // However the plan went, this composition is over.
    if (target.composition) {
      const HRESULT ended = end_composition(context_.get(), ec, target.composition.get());
      if (SUCCEEDED(hr)) hr = ended;
    }
    host_->composition_finished();
    return hr;
  });
}

}  // namespace sorla::edit
