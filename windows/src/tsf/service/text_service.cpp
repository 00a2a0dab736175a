#include "tsf/service/text_service.h"

#include <utility>

#include "com/boundary.h"
#include "report_link/open_report.h"
#include "report_link/report_base.h"
#include "sorla/report_url.h"
#include "tsf/edit/display_attribute.h"
#include "tsf/edit/edit_steps.h"
#include "tsf/edit/sessions.h"

namespace sorla::tsf {

using com::ComPtr;

TextService::TextService() = default;
TextService::~TextService() = default;

std::uint64_t TextService::now_ms() const { return clock_ ? clock_() : GetTickCount64(); }

void TextService::set_clock(std::function<std::uint64_t()> now_ms) { clock_ = std::move(now_ms); }

void TextService::set_url_opener(std::function<void(const std::string&)> open) {
  open_url_ = std::move(open);
}

TfClientId TextService::client_id() { return state_.borrow()->client_id; }

edit::EditStart TextService::begin_edit() {
  auto state = state_.borrow();
  state->own_edit = true;
  return {state->composition, state->display_atom, this};
}

void TextService::edit_done(ITfContext* context, ComPtr<ITfComposition> composition,
                            std::optional<window::Rect> caret) {
  // A Store app keeps a pop-up above itself only when it owns it: the
  // window of the composition's context.
  const bool immersive = composition && state_.borrow()->immersive;
  const HWND view_window = immersive ? edit::view_window(context) : nullptr;
  auto state = state_.borrow();
  if (!composition) {
    state->caret.reset();
  } else if (caret) {
    state->caret = caret;
  }
  if (immersive) state->view_window = view_window;
  if (state->typing) state->typing->front_end.set_composing(static_cast<bool>(composition));
  std::swap(state->composition, composition);
  state.release();
  // The one replaced is released here, with the state free.
  composition.reset();
  refresh_ui();
}

void TextService::composition_finished() {
  state_.borrow()->caret.reset();
  refresh_ui();
}

ComPtr<ITfComposition> TextService::composition() { return state_.borrow()->composition; }

void TextService::caret_found(std::optional<window::Rect> caret) {
  if (caret) state_.borrow()->caret = caret;
  refresh_ui();
}

void TextService::field_read(ITfContext* context, FieldKind kind) {
  auto state = state_.borrow();
  if (!state->field_context || !com::same_object(state->field_context.get(), context)) return;
  state->field_read_asked.reset();
  if (state->typing) state->typing->front_end.set_field(kind);
}

void TextService::refresh_ui() {
  auto state = state_.borrow();
  if (!state->typing) return;
  const SessionView view = state->typing->front_end.view();
  const ComPtr<langbar::LangBarButton> button = state->button;
  const std::shared_ptr<window::CandidateWindow> window = state->window;
  const std::optional<window::Rect> caret = state->caret;
  const ComPtr<ITfUIElementMgr> elements = state->ui_elements;
  const ComPtr<ui::CandidateList> element = state->element;
  const bool wanted = !view.english && !view.candidates.empty();
  // An application drawing the candidates gets every page; our window the
  // page shown. Copied only when there is an element to hand them to.
  std::vector<std::string> all;
  std::size_t all_selected = 0;
  if (wanted && elements && element) {
    all = state->typing->front_end.session().candidates();
    all_selected = state->typing->front_end.session().selected();
  }
  const ComPtr<ITfContext> context = state->key_context;
  const bool immersive = state->immersive;
  const HWND view_window = state->view_window;
  state.release();

  if (button) button->set_mode(view.english);
  // Offered to the application first: one that draws candidates itself says
  // so, and our window stays hidden.
  bool draw = true;
  if (elements && element) {
    if (wanted) {
      draw = element->offer(*elements.get(), all, all_selected, context);
    } else {
      element->end(*elements.get());
    }
  }
  if (!window) return;
  // A Store app keeps a pop-up above itself only when it owns it.
  if (immersive) window->set_owner(view_window ? view_window : GetFocus());
  if (draw && caret && wanted) {
    window->show(view.candidates, view.selected, *caret, view.page, view.page_count);
  } else {
    window->hide();
  }
}

void TextService::on_element_select(std::size_t index) {
  auto state = state_.borrow();
  if (!state->typing) return;
  state->typing->front_end.select(index);
  state.release();
  refresh_ui();
}

// The application's Show(FALSE) hides our window at once; Show(TRUE) brings
// it back where the row wants it.
void TextService::on_element_shown(bool shown) {
  if (shown) {
    refresh_ui();
    return;
  }
  const std::shared_ptr<window::CandidateWindow> window = state_.borrow()->window;
  if (window) window->hide();
}

void TextService::on_element_end(bool finalize) {
  auto state = state_.borrow();
  if (!state->typing) return;
  FrontEnd& front_end = state->typing->front_end;
  Answer answer =
      finalize ? front_end.choose(front_end.view().selected) : front_end.apply(input::Escape);
  state.release();
  deliver(std::move(answer.plan));
}

void TextService::run(ITfContext* context, EditPlan plan) {
  // A failed request is dropped: the document catches up with the next edit.
  if (context != nullptr && !plan.empty() &&
      SUCCEEDED(edit::request_output(*this, context, std::move(plan)))) {
    return;
  }
  refresh_ui();
}

void TextService::deliver(EditPlan plan) {
  const ComPtr<ITfContext> context = state_.borrow()->key_context;
  run(context.get(), std::move(plan));
}

void TextService::on_candidate_click(const window::Click& click) {
  auto state = state_.borrow();
  if (!state->typing) return;
  Typing& typing = *state->typing;
  if (click.target == window::Click::Target::Candidate) {
    Answer answer = typing.front_end.choose(click.index);
    state.release();
    deliver(std::move(answer.plan));
    return;
  }
  state.release();
  open_report();
}

void TextService::open_report() {
  auto state = state_.borrow();
  if (!state->typing) return;
  const Typing& typing = *state->typing;
  const auto url =
      report::report_url(report::report_base(), typing.front_end.view(), report::kAppVersion,
                         report::data_value(typing.engine.data_name()));
  state.release();
  if (!url) return;
  if (open_url_) {
    open_url_(*url);
  } else {
    report::open_url(*url);
  }
}

void TextService::on_langbar_click() {
  auto state = state_.borrow();
  if (!state->typing) return;
  Answer answer = state->typing->front_end.toggle();
  state.release();
  deliver(std::move(answer.plan));
}

// Called for compositions started with our sink; only the one in progress
// ends the word. An earlier one of ours (from another field, ended by the
// application late) only loses its underline.
HRESULT TextService::OnCompositionTerminated(TfEditCookie cookie, ITfComposition* composition) {
  return com::guarded([&] {
    auto state = state_.borrow();
    const bool current =
        state->composition && com::same_object(state->composition.get(), composition);
    ComPtr<ITfComposition> ended;
    if (current) {
      // What the application kept of the composition stays in the document.
      if (state->typing) state->typing->front_end.composition_ended();
      ended = std::move(state->composition);
    }
    state.release();
    ended.reset();
    if (current) refresh_ui();

    if (composition == nullptr) return S_OK;
    ComPtr<ITfRange> range;
    ComPtr<ITfContext> context;
    if (SUCCEEDED(composition->GetRange(range.put())) && range &&
        SUCCEEDED(range->GetContext(context.put())) && context) {
      edit::unmark_range(context.get(), cookie, range.get());
    }
    return S_OK;
  });
}

HRESULT TextService::EnumDisplayAttributeInfo(IEnumTfDisplayAttributeInfo** out) {
  return edit::enum_display_attributes(out);
}

HRESULT TextService::GetDisplayAttributeInfo(REFGUID guid, ITfDisplayAttributeInfo** out) {
  return edit::display_attribute_info(&guid, out);
}

HRESULT TextService::OnEndEdit(ITfContext* context, TfEditCookie, ITfEditRecord* record) {
  return com::guarded([&] {
    auto state = state_.borrow();
    const bool own = std::exchange(state->own_edit, false);
    const bool focused =
        state->field_context && com::same_object(state->field_context.get(), context);
    state.release();
    // Wine passes no edit record at all; that is no selection move.
    if (own || record == nullptr) return S_OK;
    // The application gave the field other scopes (a search box turned into
    // a password box): they are read again, as at a focus change, once the
    // lock of this notice is let go.
    if (focused && edit::scopes_changed(record)) {
      read_field(context, edit::RequestMode::AsyncAllowed);
    }
    BOOL changed = FALSE;
    if (FAILED(record->GetSelectionStatus(&changed)) || !changed) return S_OK;
    auto again = state_.borrow();
    if (again->typing) again->typing->front_end.selection_moved();
    return S_OK;
  });
}

HRESULT TextService::OnInitDocumentMgr(ITfDocumentMgr*) { return S_OK; }

HRESULT TextService::OnUninitDocumentMgr(ITfDocumentMgr*) { return S_OK; }

// A pushed or popped context changes which one is on top of the focus.
HRESULT TextService::OnPushContext(ITfContext*) {
  return com::guarded([&] {
    const ComPtr<ITfThreadMgr> thread_mgr = state_.borrow()->thread_mgr;
    ComPtr<ITfDocumentMgr> focus;
    if (thread_mgr && SUCCEEDED(thread_mgr->GetFocus(focus.put()))) follow_focus(focus.get());
    return S_OK;
  });
}

HRESULT TextService::OnPopContext(ITfContext* context) { return OnPushContext(context); }

}  // namespace sorla::tsf
