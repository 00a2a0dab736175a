#include "sorla/lexicon/measure.h"

#include <algorithm>
#include <iterator>

#include "sorla/lexicon/sentence_typing.h"

namespace sorla::lexicon {

WordRate rate_words(const Engine& engine, std::span<const DevTyping> typings,
                    const WordMiss& miss) {
  WordRate rate;
  for (const DevTyping& t : typings) {
    const auto suggestions = engine.suggest(t.typed, std::nullopt);
    const auto hit = std::find_if(suggestions.begin(), suggestions.end(),
                                  [&](const Suggestion& s) { return looks_same(s.text, t.khmer); });
    ++rate.total;
    const bool in_five = hit != suggestions.end();
    const bool first = in_five && hit == suggestions.begin();
    rate.first += first;
    rate.in_five += in_five;
    if (!first && miss) miss(t, suggestions, in_five);
  }
  return rate;
}

SentenceRate rate_sentences(Engine& engine, std::span<const DevSentence> sentences,
                            const SentenceMiss& miss) {
  SentenceRate rate;
  for (const DevSentence& sentence : sentences) {
    const std::string typed = type_sentence(engine, sentence.words);
    ++rate.total;
    if (looks_same(typed, sentence.khmer)) {
      ++rate.exact;
    } else if (miss) {
      miss(sentence, typed);
    }
  }
  return rate;
}

namespace {

template <typename T>
std::vector<T> one_side(std::span<const T> all, Half half) {
  std::vector<T> out;
  std::copy_if(all.begin(), all.end(), std::back_inserter(out),
               [&](const T& t) { return t.half == half; });
  return out;
}

}  // namespace

std::vector<DevTyping> in_half(std::span<const DevTyping> typings, Half half) {
  return one_side(typings, half);
}

std::vector<DevSentence> in_half(std::span<const DevSentence> sentences, Half half) {
  return one_side(sentences, half);
}

}  // namespace sorla::lexicon
