// A chat sentence typed as a user types it: through the typing session, word
// by word, each word committed with Space.
#pragma once

#include <string>
#include <vector>

#include "sorla/engine.h"

namespace sorla::lexicon {

// What the document holds after typing each of `words` followed by Space,
// starting from an empty document and nothing learned (the engine's learned
// picks are cleared first, so that one sentence cannot help the next).
std::string type_sentence(Engine& engine, const std::vector<std::string>& words);

}  // namespace sorla::lexicon
