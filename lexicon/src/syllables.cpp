#include "syllables.h"

#include "sorla/text.h"

namespace sorla::lexicon {
namespace {

struct Cluster {
  char32_t base = 0;  // a consonant or an independent vowel
  std::vector<char32_t> subs;
  char32_t vowel = 0;
  bool nikahit = false, reahmuk = false, bantoc = false, silent = false;
  int shift = 0;  // 1: ៉ (to the first series), 2: ៊ (to the second)

  bool voweled() const {
    return vowel != 0 || nikahit || reahmuk || find_consonant(base) == nullptr;
  }
};

std::optional<std::vector<char32_t>> decode(std::string_view text) {
  if (!is_valid_utf8(text)) return std::nullopt;
  std::vector<char32_t> out;
  for (std::size_t i = 0; i < text.size();) out.push_back(next_char(text, i));
  return out;
}

bool is_dependent_vowel(char32_t c) { return c >= 0x17b6 && c <= 0x17c5; }

std::optional<std::vector<Cluster>> clusters(const std::vector<char32_t>& text) {
  std::vector<Cluster> out;
  bool coeng = false;
  for (const char32_t c : text) {
    if (find_consonant(c) || !independent_vowel(c).empty()) {
      if (coeng && !out.empty() && find_consonant(c)) {
        out.back().subs.push_back(c);
      } else {
        out.push_back(Cluster{c, {}});
      }
      coeng = false;
      continue;
    }
    // Joiners and the zero-width space carry no sound.
    if (c == 0x200b || c == 0x200c || c == 0x200d) continue;
    if (c < 0x17b6 || c > 0x17dd || out.empty()) return std::nullopt;
    Cluster& last = out.back();
    coeng = c == ch::coeng;
    if (is_dependent_vowel(c)) {
      // ោ written as េ then ា.
      last.vowel = last.vowel == 0x17c1 && c == ch::aa ? 0x17c4 : last.vowel ? last.vowel : c;
    } else if (c == ch::nikahit) {
      last.nikahit = true;
    } else if (c == ch::reahmuk) {
      last.reahmuk = true;
    } else if (c == ch::bantoc) {
      last.bantoc = true;
    } else if (c == ch::toandakhiat) {
      last.silent = true;
    } else if (c == ch::muusikatoan) {
      last.shift = 1;
    } else if (c == ch::triisap) {
      last.shift = 2;
    } else if (c == ch::yuukaleapintu || c == ch::ahsda || c == ch::samyok_sannya) {
      if (!last.vowel) last.vowel = c;
    } else if (c >= 0x17d4) {
      return std::nullopt;  // punctuation and currency signs
    }
  }
  if (out.empty()) return std::nullopt;
  return out;
}

bool is_nasal(char32_t c) {
  return c == 0x1784 || c == 0x1789 || c == 0x178e || c == 0x1793 || c == 0x1798;
}

// A cluster's spoken series: the first letter's, except that a sonorant
// leaves it to an obstruent below it (ម្ដាយ, ល្អ), a second-series obstruent
// below a first-series one makes it second (ស្ពាន, ផ្ទះ), and ៉/៊ override.
Series series_of(const std::vector<const Consonant*>& onset, int shift) {
  if (shift == 1) return Series::First;
  if (shift == 2) return Series::Second;
  if (onset.size() < 2) return onset.empty() ? Series::First : onset[0]->series;
  const Consonant& top = *onset[0];
  const Consonant& below = *onset[1];
  if (below.sonorant) return top.series;
  if (top.sonorant) return below.series;
  return top.series == Series::Second || below.series == Series::Second ? Series::Second
                                                                        : Series::First;
}

Syllable make_syllable(const Cluster& c, std::vector<const Consonant*> onset) {
  Syllable s;
  if (const Consonant* base = find_consonant(c.base); base == nullptr) s.independent = c.base;
  s.onset = std::move(onset);
  s.series = series_of(s.onset, c.shift);
  s.muusikatoan = c.shift == 1;
  s.vowel = c.nikahit ? nasal(c.vowel) : c.vowel;
  s.reahmuk = c.reahmuk;
  s.bantoc = c.bantoc;
  return s;
}

}  // namespace

std::optional<std::vector<Syllable>> syllables(std::string_view khmer) {
  const auto text = decode(khmer);
  if (!text) return std::nullopt;
  auto parts = clusters(*text);
  if (!parts) return std::nullopt;
  // A letter under ៍ is not spoken at all.
  std::erase_if(*parts, [](const Cluster& c) { return c.silent; });

  std::vector<Syllable> out;
  for (std::size_t k = 0; k < parts->size(); ++k) {
    const Cluster& c = (*parts)[k];
    Syllable* prev = out.empty() ? nullptr : &out.back();
    const bool open_prev = prev && !prev->coda && !prev->reahmuk;
    const bool last = k + 1 == parts->size();
    const Consonant* base = find_consonant(c.base);

    std::vector<const Consonant*> letters;
    if (base) letters.push_back(base);
    for (const char32_t sub : c.subs) letters.push_back(find_consonant(sub));

    if (base && !c.voweled() && c.subs.empty() && open_prev &&
        (last || c.bantoc || (*parts)[k + 1].voweled())) {
      prev->coda = base;
      prev->bantoc = c.bantoc;
      continue;
    }
    // A cluster ending a word after an open syllable closes it, and what
    // stands below is not spoken (ពាក្យ "peak", ចិត្ត "chet").
    if (base && !c.voweled() && !c.subs.empty() && open_prev && last) {
      prev->coda = base;
      prev->bantoc = c.bantoc;
      continue;
    }
    // A subscript after an open syllable: the letter above closes that
    // syllable and the one below begins the next (ប៉ុន្មាន "pon-man"), except
    // for ហ-led onsets (ហ្វ "f") and clusters that read as onsets after a full
    // vowel (ទៅក្រៅ).
    if (base && !c.subs.empty() && open_prev && c.base != ch::ha &&
        (prev->vowel == 0 || is_nasal(c.base) || c.base == c.subs[0])) {
      prev->coda = base;
      prev->minor = true;
      letters.erase(letters.begin());
    }
    out.push_back(make_syllable(c, std::move(letters)));
  }
  if (out.empty()) return std::nullopt;
  return out;
}

}  // namespace sorla::lexicon
