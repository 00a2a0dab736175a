#include "tsf/service/outside_changes.h"

#include "settings/settings.h"

namespace sorla::tsf {

void take_settings(ServiceState& state) {
  if (!state.typing) return;
  FrontEnd& front_end = state.typing->front_end;
  front_end.set_shift_switches_english(settings::read_shift_switches_english());
  front_end.set_learning_allowed(settings::read_learn_from_typing());
  learned_file::follow_clear(state.learned_file, state.typing->engine);
}

void take_changes_if_word_starts(ServiceState& state, const KeyDown& down,
                                 std::optional<bool> tested, std::uint64_t now_ms) {
  if (!state.typing) return;
  FrontEnd& front_end = state.typing->front_end;
  if (!front_end.session().typed().empty()) return;
  // The test call answers as the real one will (a Backspace taking the last
  // word back counts too).
  if (!tested) tested = front_end.test_key_down(down.key, down.target, now_ms);
  if (!*tested) return;
  take_settings(state);
  learned_file::reload_user_words_if_changed(state.words_file, state.typing->engine);
}

}  // namespace sorla::tsf
