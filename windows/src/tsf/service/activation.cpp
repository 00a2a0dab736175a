// Activation, deactivation, focus changes and the watched context.
#include <utility>

#include "com/boundary.h"
#include "guids.h"
#include "settings/settings.h"
#include "tsf/edit/sessions.h"
#include "tsf/service/text_service.h"
#include "word_data/word_data_file.h"

namespace sorla::tsf {

using com::ComPtr;

namespace {

std::optional<TfGuidAtom> register_display_attribute() {
  ComPtr<ITfCategoryMgr> categories;
  if (FAILED(CoCreateInstance(ids::kCategoryMgr, nullptr, CLSCTX_INPROC_SERVER,
                              __uuidof(ITfCategoryMgr), categories.put_void())) ||
      !categories) {
    return std::nullopt;
  }
  TfGuidAtom atom = TF_INVALID_GUIDATOM;
  if (FAILED(categories->RegisterGUID(ids::kDisplayAttribute, &atom))) return std::nullopt;
  return atom;
}

ComPtr<ITfContext> top_context(ITfDocumentMgr* document) {
  ComPtr<ITfContext> top;
  if (document) document->GetTop(top.put());
  return top;
}

// Destroys the window and takes the button off the language bar, dropping
// the references to the service that both hold.
void take_down_ui(std::shared_ptr<window::CandidateWindow> window,
                  ComPtr<langbar::LangBarButton> button, const ComPtr<ITfThreadMgr>& thread_mgr) {
  if (window) window->destroy();
  if (!button) return;
  button->detach();
  if (!thread_mgr) return;
  if (const auto items = thread_mgr.query<ITfLangBarItemMgr>()) items->RemoveItem(button.get());
}

}  // namespace

HRESULT TextService::ActivateEx(ITfThreadMgr* thread_mgr, TfClientId client_id, DWORD) {
  return Activate(thread_mgr, client_id);
}

HRESULT TextService::Activate(ITfThreadMgr* thread_mgr_in, TfClientId client_id) {
  return com::guarded([&] {
    if (thread_mgr_in == nullptr) return E_POINTER;
    const auto thread_mgr = ComPtr<ITfThreadMgr>::retain(thread_mgr_in);
    auto typing = std::make_unique<Typing>(word_data::load_engine(word_data::dll_folder()));
    learned_file::LearnedFile learned;
    learned_file::load_learned(learned, typing->engine);
    learned_file::WordsFile words;
    learned_file::load_user_words(words, typing->engine);
    typing->front_end.set_shift_switches_english(settings::read_shift_switches_english());
    typing->front_end.set_learning_allowed(settings::read_learn_from_typing());

    // An activation over an active one ends that one first: TSF takes each
    // sink once, and the old window and button hold the service.
    if (state_.borrow()->thread_mgr) Deactivate();
    {
      std::unique_ptr<Typing> old_typing;
      ComPtr<ITfThreadMgr> old_thread_mgr;
      auto state = state_.borrow();
      old_thread_mgr = std::exchange(state->thread_mgr, thread_mgr);
      old_typing = std::exchange(state->typing, std::move(typing));
      state->client_id = client_id;
      state->learned_file = std::move(learned);
      state->words_file = words;
    }

    HRESULT hr = E_NOINTERFACE;
    if (const auto keystrokes = thread_mgr.query<ITfKeystrokeMgr>()) {
      hr = keystrokes->AdviseKeyEventSink(client_id, this, TRUE);
    }
    if (SUCCEEDED(hr)) {
      hr = E_NOINTERFACE;
      if (const auto source = thread_mgr.query<ITfSource>()) {
        DWORD cookie = kNoCookie;
        hr = source->AdviseSink(__uuidof(ITfThreadMgrEventSink),
                                static_cast<ITfThreadMgrEventSink*>(this), &cookie);
        if (SUCCEEDED(hr)) state_.borrow()->thread_mgr_cookie = cookie;
      }
    }
    if (FAILED(hr)) {
      Deactivate();
      return hr;
    }

    DWORD flags = 0;
    const auto thread_ex = thread_mgr.query<ITfThreadMgrEx>();
    // Without the extended manager (Wine) the thread is a desktop one.
    const bool immersive = thread_ex && SUCCEEDED(thread_ex->GetActiveFlags(&flags)) &&
                           (flags & TF_TMF_IMMERSIVEMODE) != 0;
    const std::optional<TfGuidAtom> atom = register_display_attribute();
    {
      auto state = state_.borrow();
      state->display_atom = atom;
      state->immersive = immersive;
    }

    ComPtr<ITfDocumentMgr> focus;
    if (FAILED(thread_mgr->GetFocus(focus.put()))) focus.reset();
    follow_focus(focus.get());

    const auto self = ComPtr<TextService>::retain(this);
    auto window = std::make_shared<window::CandidateWindow>();
    if (!window->create([self](const window::Click& click) { self->on_candidate_click(click); })) {
      window.reset();
    }
    auto button = com::make_object<langbar::LangBarButton>(
        [self] { self->on_langbar_click(); }, [self](POINT at) { self->on_langbar_menu(at); });
    if (const auto items = thread_mgr.query<ITfLangBarItemMgr>()) items->AddItem(button.get());
    auto element = com::make_object<ui::CandidateList>(ui::CandidateActions{
        [self](std::size_t i) { self->on_element_select(i); },
        [self] { self->on_element_end(true); }, [self] { self->on_element_end(false); },
        [self](bool shown) { self->on_element_shown(shown); }});

    {
      auto state = state_.borrow();
      state->window = std::move(window);
      state->button = std::move(button);
      state->ui_elements = thread_mgr.query<ITfUIElementMgr>();
      state->element = std::move(element);
    }
    refresh_ui();
    return S_OK;
  });
}

HRESULT TextService::Deactivate() {
  return com::guarded([&] {
    finish_composition(edit::RequestMode::SyncFirst);
    watch(nullptr);
    save_learned(learned_file::SaveMoment::Deactivation);

    auto ui = state_.borrow();
    auto window = std::move(ui->window);
    auto button = std::move(ui->button);
    // The element holds the service: dropped here, ended if still begun.
    const ComPtr<ITfUIElementMgr> elements = std::move(ui->ui_elements);
    const ComPtr<ui::CandidateList> element = std::move(ui->element);
    const ComPtr<ITfThreadMgr> langbar_owner = ui->thread_mgr;
    ui.release();
    if (elements && element) element->end(*elements.get());
    take_down_ui(std::move(window), std::move(button), langbar_owner);

    // Dropped at the end, with the state free.
    std::unique_ptr<Typing> typing;
    ComPtr<ITfComposition> composition;
    ComPtr<ITfContext> key_context;
    ComPtr<ITfContext> field_context;
    ComPtr<ITfThreadMgr> thread_mgr;
    auto state = state_.borrow();
    typing = std::move(state->typing);
    composition = std::move(state->composition);
    key_context = std::move(state->key_context);
    field_context = std::move(state->field_context);
    state->field_read_asked.reset();
    state->caret.reset();
    thread_mgr = std::move(state->thread_mgr);
    const DWORD cookie = std::exchange(state->thread_mgr_cookie, kNoCookie);
    const TfClientId client_id = state->client_id;
    state.release();

    if (thread_mgr) {
      if (const auto keystrokes = thread_mgr.query<ITfKeystrokeMgr>()) {
        keystrokes->UnadviseKeyEventSink(client_id);
      }
      if (cookie != kNoCookie) {
        if (const auto source = thread_mgr.query<ITfSource>()) source->UnadviseSink(cookie);
      }
    }
    return S_OK;
  });
}

HRESULT TextService::OnSetFocus(ITfDocumentMgr* focus, ITfDocumentMgr*) {
  return com::guarded([&] {
    finish_composition(edit::RequestMode::AsyncAllowed);
    follow_focus(focus);
    save_learned(learned_file::SaveMoment::FocusChange);
    apply_settings();
    return S_OK;
  });
}

void TextService::finish_composition(edit::RequestMode mode) {
  auto state = state_.borrow();
  EditPlan plan;
  if (state->typing) plan = state->typing->front_end.finish().plan;
  ComPtr<ITfComposition> composition = std::move(state->composition);
  state.release();
  // Nothing open (Wine has no compositions): the row and its UI element
  // still end with the word.
  if (!composition) {
    refresh_ui();
    return;
  }

  ComPtr<ITfRange> range;
  ComPtr<ITfContext> context;
  if (SUCCEEDED(composition->GetRange(range.put())) && range &&
      SUCCEEDED(range->GetContext(context.put())) && context) {
    edit::request_end(*this, context.get(), composition, std::move(plan), mode);
  }
  refresh_ui();
}

void TextService::follow_focus(ITfDocumentMgr* focus) {
  const ComPtr<ITfContext> top = top_context(focus);
  watch(top.get());
  if (top) {
    read_field(top.get(), edit::RequestMode::SyncFirst);
    return;
  }
  auto state = state_.borrow();
  state->field_context.reset();
  state->field_read_asked.reset();
  if (state->typing) state->typing->front_end.set_field(FieldKind::Text);
}

// Until the scopes are read the field may be a password box: it gets its
// keys untouched. A read TSF grants at once leaves no gap; when no read will
// run, nothing tells this field from an ordinary one.
void TextService::read_field(ITfContext* context, edit::RequestMode mode) {
  {
    auto state = state_.borrow();
    state->field_context = ComPtr<ITfContext>::retain(context);
    state->field_read_asked = now_ms();
    if (state->typing) state->typing->front_end.set_field(FieldKind::Private);
  }
  if (FAILED(edit::request_field_read(*this, context, mode))) field_read(context, FieldKind::Text);
}

// A key event is where TSF allows a synchronous read (an application busy
// with a lock of its own may have queued the first one). A read that never
// runs must not keep the field private for ever: past kFieldReadPatienceMs
// it is ordinary text; should the read still come, its answer is taken.
bool TextService::settle_field() {
  auto state = state_.borrow();
  if (!state->field_read_asked || !state->field_context) return false;
  const ComPtr<ITfContext> context = state->field_context;
  const bool overdue = now_ms() - *state->field_read_asked >= kFieldReadPatienceMs;
  state.release();
  edit::request_field_read(*this, context.get(), edit::RequestMode::SyncOnly);
  if (overdue && state_.borrow()->field_read_asked) field_read(context.get(), FieldKind::Text);
  return true;
}

void TextService::watch(ITfContext* context) {
  auto state = state_.borrow();
  const ComPtr<ITfSource> old = std::move(state->watched);
  const DWORD old_cookie = std::exchange(state->watch_cookie, kNoCookie);
  state.release();
  if (old) old->UnadviseSink(old_cookie);
  if (context == nullptr) return;

  const auto source = ComPtr<ITfContext>::retain(context).query<ITfSource>();
  DWORD cookie = kNoCookie;
  if (!source || FAILED(source->AdviseSink(__uuidof(ITfTextEditSink),
                                           static_cast<ITfTextEditSink*>(this), &cookie))) {
    return;
  }
  auto again = state_.borrow();
  again->watched = source;
  again->watch_cookie = cookie;
}

void TextService::save_learned(learned_file::SaveMoment moment) {
  auto state = state_.borrow();
  // Learning turned off: nothing is written, not even picks made before.
  if (state->typing && state->typing->front_end.learning_allowed()) {
    learned_file::save_learned(state->learned_file, state->typing->engine, moment);
  }
}

}  // namespace sorla::tsf
