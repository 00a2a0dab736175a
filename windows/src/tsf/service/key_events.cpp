// The key-event sink: which keys are eaten, and what they do.
#include <utility>

#include "com/boundary.h"
#include "tsf/edit/sessions.h"
#include "tsf/service/field.h"
#include "tsf/service/text_service.h"

namespace sorla::tsf {

using com::ComPtr;

namespace {

std::uint32_t virtual_key(WPARAM wparam) { return static_cast<std::uint32_t>(wparam & 0xFFFF); }

void answer(BOOL* eaten, bool value) {
  if (eaten) *eaten = value ? TRUE : FALSE;
}

}  // namespace

bool TextService::is_tap(Borrow& state, std::uint32_t vk, bool take) {
  if (!state->typing || !state->shift_switches_english) return false;
  return take ? state->shift_tap.take(vk, now_ms()) : state->shift_tap.would_tap(vk, now_ms());
}

HRESULT TextService::OnSetFocus(BOOL foreground) {
  return com::guarded([&] {
    if (foreground) {
      refresh_ui();
      return S_OK;
    }
    const std::shared_ptr<window::CandidateWindow> window = state_.borrow()->window;
    if (window) window->hide();
    return S_OK;
  });
}

HRESULT TextService::OnTestKeyDown(ITfContext* context, WPARAM wparam, LPARAM info, BOOL* eaten) {
  answer(eaten, false);
  return com::guarded([&] {
    const std::uint32_t vk = virtual_key(wparam);
    const KeyState keys = sample_key_state();
    const std::optional<char32_t> ch = key_character(vk, keys);
    const bool off = context != nullptr && keyboard_off(context);
    auto state = state_.borrow();
    if (!state->typing) return S_OK;
    state->shift_tap.key_down(vk, keys.mods, is_repeat(info), now_ms());
    // Without a document there is nowhere to write, and a password or number
    // field gets its keys untouched: no key is claimed.
    if (context == nullptr || off || state->field != FieldKind::Text) return S_OK;
    answer(eaten, state->typing->session.would_eat(vk, ch, keys.mods));
    return S_OK;
  });
}

HRESULT TextService::OnKeyDown(ITfContext* context, WPARAM wparam, LPARAM info, BOOL* eaten) {
  answer(eaten, false);
  return com::guarded([&] {
    const std::uint32_t vk = virtual_key(wparam);
    const KeyState keys = sample_key_state();
    const std::optional<char32_t> ch = key_character(vk, keys);
    const bool off = context != nullptr && keyboard_off(context);
    ComPtr<ITfContext> previous;  // released after the state is
    auto state = state_.borrow();
    previous = std::exchange(state->key_context, ComPtr<ITfContext>::retain(context));
    if (!state->typing) return S_OK;
    state->shift_tap.key_down(vk, keys.mods, is_repeat(info), now_ms());
    Session& session = state->typing->session;
    if (context == nullptr || off || state->field != FieldKind::Text ||
        !session.would_eat(vk, ch, keys.mods)) {
      return S_OK;
    }

    const bool was_typing = !session.typed().empty();
    const SessionOutput output = session.handle_key(vk, ch, keys.mods);
    if ((was_typing && !output.commit.empty()) || output.retract) state->learned_dirty = true;
    EditPlan plan = plan_output(output, session.typed(), static_cast<bool>(state->composition));
    state.release();

    answer(eaten, output.eaten);
    if (plan.empty()) {
      refresh_ui();
      return S_OK;
    }
    // The edit refreshes the UI once it has run. A failed request is
    // dropped: the document catches up with the next edit.
    edit::request_output(*this, context, std::move(plan));
    return S_OK;
  });
}

HRESULT TextService::OnTestKeyUp(ITfContext*, WPARAM wparam, LPARAM, BOOL* eaten) {
  answer(eaten, false);
  return com::guarded([&] {
    auto state = state_.borrow();
    answer(eaten, is_tap(state, virtual_key(wparam), false));
    return S_OK;
  });
}

HRESULT TextService::OnKeyUp(ITfContext* context, WPARAM wparam, LPARAM, BOOL* eaten) {
  answer(eaten, false);
  return com::guarded([&] {
    ComPtr<ITfContext> previous;
    auto state = state_.borrow();
    if (context) {
      previous = std::exchange(state->key_context, ComPtr<ITfContext>::retain(context));
    }
    if (!state->typing) return S_OK;
    SessionOutput output;
    if (is_tap(state, virtual_key(wparam), true)) {
      output = state->typing->session.apply(input::ToggleMode);
    }
    state.release();
    deliver(output);
    return S_OK;
  });
}

HRESULT TextService::OnPreservedKey(ITfContext*, REFGUID, BOOL* eaten) {
  answer(eaten, false);
  return S_OK;
}

}  // namespace sorla::tsf
