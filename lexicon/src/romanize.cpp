// Spellings are built syllable by syllable: each part (onset, vowel, final)
// offers its Latin forms most typical first, a form's rank is its cost, and
// the cheapest whole spellings win.
#include "sorla/lexicon/romanize.h"

#include <algorithm>
#include <set>

#include "khmer_letters.h"
#include "sorla/normalize.h"
#include "syllables.h"

namespace sorla::lexicon {
namespace {

struct Option {
  std::string text;
  int cost = 0;
};
using Options = std::vector<Option>;

// More than enough to keep the best few spellings of a long compound.
constexpr std::size_t kBeam = 24;

// "a b -" → {"a",0} {"b",1} {"",2}
Options forms(std::string_view list) {
  Options out;
  int cost = 0;
  while (!list.empty()) {
    const auto space = list.find(' ');
    const std::string_view form = list.substr(0, space);
    out.push_back({form == "-" ? std::string() : std::string(form), cost++});
    list = space == std::string_view::npos ? std::string_view{} : list.substr(space + 1);
  }
  return out;
}

// Every combination of two option lists, cheapest first; ties keep the order
// of `a`, then of `b`, so the result does not depend on the sort's whims.
Options join(const Options& a, const Options& b, bool collapse_double = false) {
  Options out;
  for (const Option& x : a) {
    for (const Option& y : b) {
      std::string text = x.text;
      std::string_view tail = y.text;
      // Chat writes a doubled consonant once across syllables (សប្បាយ "sabay").
      if (collapse_double && !text.empty() && !tail.empty() && text.back() == tail.front() &&
          std::string_view("aeiou").find(tail.front()) == std::string_view::npos) {
        tail.remove_prefix(1);
      }
      text += tail;
      out.push_back({std::move(text), x.cost + y.cost});
    }
  }
  std::stable_sort(out.begin(), out.end(),
                   [](const Option& l, const Option& r) { return l.cost < r.cost; });
  if (out.size() > kBeam) out.resize(kBeam);
  return out;
}

Options onset_forms(const Syllable& s, bool word_start) {
  if (s.onset.empty()) return {{"", 0}};
  const Consonant& top = *s.onset[0];
  if (s.onset.size() == 1) {
    if (top.code == ch::ba && s.muusikatoan) return {{"p", 0}};  // ប៉
    return forms(top.onset);
  }
  Options out = forms(top.code == ch::qa && !word_start ? std::string_view("-") : top.cluster);
  for (std::size_t i = 1; i < s.onset.size(); ++i) {
    const Consonant& below = *s.onset[i];
    std::string_view form = below.onset;
    if (below.code == ch::qa) form = "- a";  // a glottal stop: ស្អែក "saek", ស្អាត "saat"
    // After s, t is unaspirated and chat writes it d (ស្តាប់ "sdab").
    if (s.onset[i - 1]->code == 0x179f && below.code == 0x178f) form = "d t";
    if (s.onset[i - 1]->code == ch::ha && i == 1) {
      // ហ before a letter makes a sound of its own: ហ្វ "f", ហ្គ "g";
      // before a sonorant it only moves the series (ហ្នឹង "neng"), though
      // some write it (ហ្មង "hmong").
      const bool sound = below.code == 0x179c || below.code == 0x1782;
      out = sound ? Options{{"", 0}} : forms("- h");
      form = below.code == 0x179c ? "f" : below.code == 0x1782 ? "g" : below.onset;
    }
    out = join(out, forms(form));
  }
  return out;
}

std::string_view side(const Vowel& v, Series series) {
  return series == Series::First ? v.first : v.second;
}

// Whether the last syllable's ិ or ុ is silent, as in Pali loans (ភូមិ
// "phum", ហេតុ "het"): a single letter after a syllable it can close.
bool silent_final_vowel(const std::vector<Syllable>& word, std::size_t i) {
  const Syllable& s = word[i];
  if (i == 0 || i + 1 != word.size() || s.coda || s.reahmuk || s.onset.size() != 1) return false;
  if (s.vowel != ch::i && s.vowel != ch::u) return false;
  const Syllable& prev = word[i - 1];
  return !prev.reahmuk && (!prev.coda || prev.coda == s.onset[0]);
}

Options rhyme_forms(const std::vector<Syllable>& word, std::size_t i) {
  const Syllable& s = word[i];
  const bool last = i + 1 == word.size();
  const char32_t coda = s.reahmuk && !s.coda ? ch::reahmuk : s.coda ? s.coda->code : 0;
  // The vowel key a rhyme is listed under: bantoc does not change it.
  const char32_t vowel_key = s.independent ? 0xffffffff : s.vowel;
  if (coda) {
    if (const Rhyme* rhyme = find_rhyme(vowel_key, coda)) {
      return forms(s.series == Series::First ? rhyme->first : rhyme->second);
    }
  }
  Options nucleus;
  if (s.independent) {
    nucleus = forms(independent_vowel(s.independent));
  } else if (s.vowel) {
    const Vowel* v = find_vowel(s.vowel, s.bantoc);
    nucleus = v ? forms(side(*v, s.series)) : Options{{"", 0}};
    if (silent_final_vowel(word, i)) {
      for (Option& o : nucleus) ++o.cost;
      nucleus.insert(nucleus.begin(), {"", 0});
    }
  } else {
    const Inherent& in = inherent(s.series);
    if (coda) {
      nucleus = forms(s.minor ? in.presyllable : s.bantoc ? in.short_closed : in.closed);
    } else if (last) {
      nucleus = forms(in.open);
    } else if (s.onset.size() > 1 && s.series == Series::First) {
      nucleus = forms("o a");  // ស្រលាញ់ "srolanh"
    } else {
      nucleus = forms(in.presyllable);
    }
  }
  if (!coda) return nucleus;
  return join(nucleus, coda == ch::reahmuk ? forms("h s") : forms(s.coda->coda), true);
}

}  // namespace

std::vector<std::string> romanize(std::string_view khmer, std::size_t limit) {
  const auto word = syllables(khmer);
  if (!word) return {};
  Options spellings{{"", 0}};
  for (std::size_t i = 0; i < word->size(); ++i) {
    const Options syllable = join(onset_forms((*word)[i], i == 0), rhyme_forms(*word, i));
    spellings = join(spellings, syllable, true);
  }
  std::vector<std::string> out;
  std::set<std::string> keys;
  for (Option& o : spellings) {
    if (out.size() == limit) break;
    if (o.text.empty() || !keys.insert(o.text).second) continue;
    out.push_back(std::move(o.text));
  }
  return out;
}

std::string short_form(std::string_view khmer) {
  const auto word = syllables(khmer);
  if (!word || word->size() != 1) return {};
  const auto spellings = romanize(khmer, 1);
  if (spellings.empty()) return {};
  std::string out;
  const std::string& s = spellings[0];
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s.compare(i, 2, "ng") == 0) {
      out += 'g';
      ++i;
    } else if (s.compare(i, 2, "ch") == 0) {
      out += 'j';
      i += s.compare(i, 3, "chh") == 0 ? 2 : 1;
    } else if (std::string_view("aeiou").find(s[i]) == std::string_view::npos) {
      out += s[i];
    }
  }
  // A lone letter is no short form.
  return out.size() >= 2 && out != s ? out : std::string();
}

std::size_t syllable_count(std::string_view khmer) {
  const auto word = syllables(khmer);
  return word ? word->size() : 0;
}

}  // namespace sorla::lexicon
