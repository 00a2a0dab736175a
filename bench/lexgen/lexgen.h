// Deterministic synthetic word data and typing scripts, shared by the
// benchmarks and the fast-versus-reference tests. Same output on every
// platform and standard library: all randomness is our own integer PRNG.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sorla/word_list.h"

namespace sorla::lexgen {

// splitmix64: small, fast, and the same sequence everywhere.
class Rng {
 public:
  explicit Rng(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next();
  // Uniform enough in [0, n); n > 0.
  std::uint64_t below(std::uint64_t n) { return next() % n; }
  bool percent(unsigned p) { return below(100) < p; }
  // Skewed towards 0, like word frequencies: the least of three draws.
  std::uint64_t skewed(std::uint64_t n);

 private:
  std::uint64_t state_;
};

// Khmer-script words with romanized spellings built from syllable patterns,
// 1 to 4 spellings each, distinct words, and pairs among the common ones.
WordList generate_lexicon(std::size_t word_count, std::uint64_t seed);

// The binary word-data file of `generate_lexicon`.
std::vector<std::uint8_t> lexicon_file(std::size_t word_count, std::uint64_t seed);

// The built-in seed list as a WordList.
WordList seed_lexicon();

// One typed text fed letter by letter: every entry of `keystrokes` is the
// whole typed text after one key (letters, spaces, backspaces).
struct TypingCase {
  std::optional<std::string> previous;  // the session's previous word
  std::vector<std::string> keystrokes;
};

// Chat typing over the lexicon's spellings: 1-5 words spaced or run
// together, 5-40 letters, some with typos, some with backspace-and-retype.
std::vector<TypingCase> generate_typing(const WordList& lexicon, std::size_t cases,
                                        std::uint64_t seed);

// A 40-letter unbroken run of spellings and 40 letters of gibberish.
std::vector<TypingCase> worst_cases(const WordList& lexicon, std::uint64_t seed);

// A learned-picks document of `picks` distinct picks of the lexicon's words,
// some after a previous word, for timing import and export.
std::string learned_document(const WordList& lexicon, std::size_t picks);

}  // namespace sorla::lexgen
