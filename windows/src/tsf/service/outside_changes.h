// What the user's other applications change while this one types: the
// settings, a clear of the learned words and the user's words file. Taken in
// at focus changes and as a word starts, never at the other keys, which would
// each pay for the registry reads and the file check.
#pragma once

#include <cstdint>
#include <optional>

#include "tsf/service/keys.h"
#include "tsf/service/state.h"

namespace sorla::tsf {

// The settings as they are now and a clear made elsewhere: three registry
// reads. Nothing while inactive.
void take_settings(ServiceState& state);

// When `down` starts a word (the front end claims it with nothing typed),
// the settings, a clear, and the words file: one GetFileAttributesExW, and a
// read when it changed, so that a word added in another application is
// offered from the next word on. `tested` is the test call's answer for this
// very key in this very state, when known; the front end is asked otherwise.
void take_changes_if_word_starts(ServiceState& state, const KeyDown& down,
                                 std::optional<bool> tested, std::uint64_t now_ms);

}  // namespace sorla::tsf
