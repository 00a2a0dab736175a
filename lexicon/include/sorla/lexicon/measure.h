// How often typed spellings find their words in an engine: one measure for
// the evaluation and the tuning search, so that both count alike.
#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "sorla/engine.h"
#include "sorla/lexicon/dev_set.h"

namespace sorla::lexicon {

struct WordRate {
  std::size_t first = 0, in_five = 0, total = 0;
};

struct SentenceRate {
  std::size_t exact = 0, total = 0;
};

// The engine's first five for a typing whose word did not come first;
// `in_five` when it is among them.
using WordMiss =
    std::function<void(const DevTyping&, const std::vector<Suggestion>&, bool in_five)>;
// What typing a sentence gave when it was not the sentence.
using SentenceMiss = std::function<void(const DevSentence&, const std::string& typed)>;

// Each typing suggested alone, nothing before it; a word counts in the
// five when one of them looks the same as it (look_form). The typings'
// halves are not read.
WordRate rate_words(const Engine& engine, std::span<const DevTyping> typings,
                    const WordMiss& miss = {});
// Each sentence typed word by word with Space commits (type_sentence);
// exact when the document then looks the same as the sentence.
SentenceRate rate_sentences(Engine& engine, std::span<const DevSentence> sentences,
                            const SentenceMiss& miss = {});

// The typings, or sentences, on one side of the split.
std::vector<DevTyping> in_half(std::span<const DevTyping> typings, Half half);
std::vector<DevSentence> in_half(std::span<const DevSentence> sentences, Half half);

}  // namespace sorla::lexicon
