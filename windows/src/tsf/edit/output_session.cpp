#include "com/boundary.h"
#include "tsf/edit/edit_steps.h"
#include "tsf/edit/plan_run.h"
#include "tsf/edit/sessions.h"
#include "tsf/service/text_service.h"

namespace sorla::edit {

using com::ComPtr;

namespace {

// The composition and caret the plan left, handed back to the service.
void hand_back(tsf::TextService& service, ITfContext* context, PlanTarget& target) {
  if (!target.composition) {
    service.set_caret(std::nullopt);
  } else {
    if (target.caret) service.set_caret(target.caret);
    service.note_view_window(context);
  }
  service.set_composition(std::move(target.composition));
  if (target.caret_unknown) request_caret_lookup(service, context);
  service.refresh_ui();
}

}  // namespace

OutputSession::OutputSession(ComPtr<tsf::TextService> service, ComPtr<ITfContext> context,
                             EditPlan plan)
    : service_(std::move(service)), context_(std::move(context)), plan_(std::move(plan)) {}

OutputSession::~OutputSession() = default;

HRESULT OutputSession::DoEditSession(TfEditCookie ec) {
  return com::guarded([&] {
    service_->set_own_edit();
    PlanTarget target{
        context_.get(), ec,   service_->display_atom(), service_.get(), service_->composition(),
        std::nullopt,   false};
    const HRESULT hr = run_plan(target, plan_);
    if (FAILED(hr) && target.composition) {
      // Left open, the composition would take the next letter into a second
      // one. What the document shows stays; the session starts afresh.
      end_composition(context_.get(), ec, target.composition.get());
      target.composition.reset();
    }
    hand_back(*service_.get(), context_.get(), target);
    return hr;
  });
}

EndSession::EndSession(ComPtr<tsf::TextService> service, ComPtr<ITfContext> context,
                       ComPtr<ITfComposition> composition, EditPlan plan)
    : service_(std::move(service)),
      context_(std::move(context)),
      composition_(std::move(composition)),
      plan_(std::move(plan)) {}

EndSession::~EndSession() = default;

HRESULT EndSession::DoEditSession(TfEditCookie ec) {
  return com::guarded([&] {
    service_->set_own_edit();
    service_->set_caret(std::nullopt);
    PlanTarget target{context_.get(), ec,           std::nullopt, service_.get(),
                      composition_,   std::nullopt, false};
    HRESULT hr = run_plan(target, plan_);
    // However the plan went, this composition is over.
    if (target.composition) {
      const HRESULT ended = end_composition(context_.get(), ec, target.composition.get());
      if (SUCCEEDED(hr)) hr = ended;
    }
    service_->refresh_ui();
    return hr;
  });
}

}  // namespace sorla::edit
