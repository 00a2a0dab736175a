// The development set of everyday words and chat sentences, and its split:
// a word (or a sentence) is on the tuning side or the held-out side by a hash
// of its Khmer text, so every typing of it lands on one side only and the
// split never changes as the set grows.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sorla::lexicon {

enum class Half { Tuning, HeldOut };

// FNV-1a, 32 bits, over the UTF-8 bytes.
std::uint32_t fnv1a32(std::string_view bytes);
// Even hash: tuning; odd: held out.
Half half_of(std::string_view khmer);

struct DevTyping {
  std::string khmer, typed;
  Half half;
};

struct DevSentence {
  std::string khmer;
  std::vector<std::string> words;  // the Latin, as typed between spaces
  Half half;
};

// "Khmer TAB spellings separated by spaces" lines, one typing per spelling;
// '#' lines and blank lines are comments.
std::vector<DevTyping> read_dev_words(std::string_view text);
// "Khmer TAB Latin words separated by spaces" lines.
std::vector<DevSentence> read_dev_sentences(std::string_view text);

// One form for texts that look the same on screen (see look_alike.h): ្ត and
// ្ដ draw alike and both spellings of a word are in use.
std::string look_form(std::string_view text);
bool looks_same(std::string_view a, std::string_view b);

}  // namespace sorla::lexicon
