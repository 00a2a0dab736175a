#include "sorla/lexicon/dev_set.h"

#include <sstream>

#include "sorla/lexicon/look_alike.h"

namespace sorla::lexicon {
namespace {

std::vector<std::string> split_spaces(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string word; in >> word;) out.push_back(word);
  return out;
}

// Each "Khmer TAB rest" line of `text`, comments and lines without a tab left out.
template <typename Each>
void for_each_line(std::string_view text, Each each) {
  std::istringstream in{std::string(text)};
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    const auto tab = line.find('\t');
    if (tab == std::string::npos || tab == 0) continue;
    each(line.substr(0, tab), line.substr(tab + 1));
  }
}

}  // namespace

std::uint32_t fnv1a32(std::string_view bytes) {
  std::uint32_t hash = 2166136261u;
  for (const char c : bytes) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 16777619u;
  }
  return hash;
}

Half half_of(std::string_view khmer) {
  return fnv1a32(khmer) % 2 == 0 ? Half::Tuning : Half::HeldOut;
}

std::vector<DevTyping> read_dev_words(std::string_view text) {
  std::vector<DevTyping> out;
  for_each_line(text, [&](const std::string& khmer, const std::string& rest) {
    for (std::string& typed : split_spaces(rest)) {
      out.push_back({khmer, std::move(typed), half_of(khmer)});
    }
  });
  return out;
}

std::vector<DevSentence> read_dev_sentences(std::string_view text) {
  std::vector<DevSentence> out;
  for_each_line(text, [&](const std::string& khmer, const std::string& rest) {
    out.push_back({khmer, split_spaces(rest), half_of(khmer)});
  });
  return out;
}

std::string look_form(std::string_view text) { return look_key(text); }

bool looks_same(std::string_view a, std::string_view b) { return look_form(a) == look_form(b); }

}  // namespace sorla::lexicon
