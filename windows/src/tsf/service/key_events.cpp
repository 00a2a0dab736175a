// The key-event sink: reads what the key is and where it goes, asks the front
// end, and runs the plan it answers. Which keys are eaten is the front end's.
#include <optional>
#include <utility>

#include "com/boundary.h"
#include "tsf/service/keys.h"
#include "tsf/service/outside_changes.h"
#include "tsf/service/text_service.h"

namespace sorla::tsf {

using com::ComPtr;

namespace {

std::uint32_t virtual_key(WPARAM wparam) { return static_cast<std::uint32_t>(wparam & 0xFFFF); }

void answer(BOOL* eaten, bool value) {
  if (eaten) *eaten = value ? TRUE : FALSE;
}

}  // namespace

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
    settle_field();
    const KeyDown down = read_key_down(context, wparam, info);
    auto state = state_.borrow();
    if (!state->typing) return S_OK;
    const bool claimed = state->typing->front_end.test_key_down(down.key, down.target, now_ms());
    state->tested_key = TestedKey{down, claimed, state_.borrows()};
    answer(eaten, claimed);
    return S_OK;
  });
}

HRESULT TextService::OnKeyDown(ITfContext* context, WPARAM wparam, LPARAM info, BOOL* eaten) {
  answer(eaten, false);
  return com::guarded([&] {
    const std::uint64_t borrows = state_.borrows();
    const bool field_settled = settle_field();
    const KeyDown down = read_key_down(context, wparam, info);
    const std::uint64_t now = now_ms();
    ComPtr<ITfContext> previous;  // released after the state is
    auto state = state_.borrow();
    previous = std::exchange(state->key_context, ComPtr<ITfContext>::retain(context));
    const std::optional<TestedKey> tested = std::exchange(state->tested_key, std::nullopt);
    if (!state->typing) return S_OK;
    // Applications may call either without the other, and a focus change or
    // a field's kind may come in between: then the front end is asked again.
    std::optional<bool> claimed;
    if (tested && tested->borrow == borrows && !field_settled && tested->down == down) {
      claimed = tested->claimed;
    }
    take_changes_if_word_starts(*state, down, claimed, now);
    Answer result = state->typing->front_end.key_down(down.key, down.target, now);
    state.release();
    answer(eaten, result.eaten);
    if (result.eaten) run(context, std::move(result.plan));
    return S_OK;
  });
}

HRESULT TextService::OnTestKeyUp(ITfContext*, WPARAM wparam, LPARAM, BOOL* eaten) {
  answer(eaten, false);
  return com::guarded([&] {
    auto state = state_.borrow();
    if (state->typing) {
      answer(eaten, state->typing->front_end.test_key_up(virtual_key(wparam), now_ms()));
    }
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
    Answer result = state->typing->front_end.key_up(virtual_key(wparam), now_ms());
    state.release();
    deliver(std::move(result.plan));
    return S_OK;
  });
}

HRESULT TextService::OnPreservedKey(ITfContext*, REFGUID, BOOL* eaten) {
  answer(eaten, false);
  return S_OK;
}

}  // namespace sorla::tsf
