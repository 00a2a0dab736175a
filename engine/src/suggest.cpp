#include "sorla/suggest.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <variant>

#include "scoring.h"
#include "sorla/float_order.h"
#include "sorla/normalize.h"
#include "sorla/text.h"

namespace sorla {

bool acceptable_typing(std::string_view typed) {
  if (!is_valid_utf8(typed)) return false;
  for (std::size_t pos = 0; pos < typed.size();) {
    const char32_t c = next_char(typed, pos);
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' || c == '\'' ||
                    is_white_space(c);
    if (!ok) return false;
  }
  return true;
}

std::vector<std::string> split_pieces(std::string_view typed) {
  std::vector<std::string> pieces;
  std::string current;
  for (std::size_t pos = 0; pos < typed.size();) {
    const std::size_t here = pos;
    if (is_white_space(next_char(typed, pos))) {
      if (!current.empty()) pieces.push_back(std::move(current));
      current.clear();
    } else {
      current.append(typed.substr(here, pos - here));
    }
  }
  if (!current.empty()) pieces.push_back(std::move(current));
  return pieces;
}

std::vector<Suggestion> assemble_suggestions(const std::vector<RankedSequence>& ranked,
                                             std::size_t piece_count, std::size_t word_count,
                                             const WordTexts& words,
                                             const std::vector<LearnedTally>& rows,
                                             const RankingParams& params, std::size_t limit) {
  const float top = ranked.empty() ? -std::numeric_limits<float>::infinity() : ranked[0].score;
  // What passing every typed piece through would score; a piece without
  // letters counts too.
  const float all_literal =
      static_cast<float>(piece_count) * (-literal_penalty(word_count, params));
  std::vector<Suggestion> out;
  out.reserve(ranked.size() + rows.size());
  for (const RankedSequence& seq : ranked) {
    const bool all_words = std::all_of(seq.pieces.begin(), seq.pieces.end(), [](const Piece& p) {
      return std::holds_alternative<std::uint64_t>(p);
    });
    if (!all_words) continue;
    if (!(seq.score > all_literal)) continue;
    if (seq.pieces.size() > piece_count && !(seq.score >= top + kSplitWindow)) continue;
    // Each text once: the few texts so far are compared in place, and a text
    // is made only when it is new.
    std::size_t size = 0;
    for (const Piece& p : seq.pieces) size += words[std::get<std::uint64_t>(p)].size();
    const auto same_text = [&](const Suggestion& s) {
      if (s.text.size() != size) return false;
      std::string_view rest = s.text;
      for (const Piece& p : seq.pieces) {
        const std::string_view word = words[std::get<std::uint64_t>(p)];
        if (rest.substr(0, word.size()) != word) return false;
        rest.remove_prefix(word.size());
      }
      return true;
    };
    if (std::any_of(out.begin(), out.end(), same_text)) continue;
    std::string text;
    text.reserve(size);
    for (const Piece& p : seq.pieces) text += words[std::get<std::uint64_t>(p)];
    out.push_back(Suggestion{std::move(text), seq.score});
  }

  if (!rows.empty()) {
    const float base = std::isfinite(top) ? top : 0.0f;
    for (const LearnedTally& row : rows) {
      const float boost = learned_boost(row.total, row.after_previous != 0);
      auto it = std::find_if(out.begin(), out.end(),
                             [&](const Suggestion& s) { return s.text == row.picked; });
      if (it != out.end()) {
        it->score = it->score + boost;
      } else {
        out.push_back(Suggestion{row.picked, boost + base});
      }
    }
    std::stable_sort(out.begin(), out.end(), [](const Suggestion& a, const Suggestion& b) {
      return total_less(b.score, a.score);
    });
  }
  if (out.size() > limit) out.resize(limit);
  return out;
}

std::vector<Suggestion> place_user_words(std::vector<Suggestion> found, const UserWordIndex& user,
                                         std::string_view typed,
                                         const std::vector<LearnedTally>& rows, std::size_t limit) {
  const std::vector<std::string> pieces = split_pieces(typed);
  const std::string key = pieces.size() == 1 ? letters(pieces[0]) : std::string();
  if (user.empty() || key.empty()) {
    if (found.size() > limit) found.resize(limit);
    return found;
  }
  const auto boost_of = [&](std::string_view word) {
    const auto row = std::find_if(rows.begin(), rows.end(),
                                  [&](const LearnedTally& r) { return r.picked == word; });
    return row == rows.end() ? 0.0f : learned_boost(row->total, row->after_previous != 0);
  };
  const auto listed = [](const std::vector<Suggestion>& list, std::string_view text) {
    return std::any_of(list.begin(), list.end(),
                       [&](const Suggestion& s) { return s.text == text; });
  };

  // Above the best of the rest by their learned boosts, which order them.
  const float base = found.empty() ? 0.0f : found.front().score;
  std::vector<Suggestion> out;
  for (const std::string_view word : user.spelled(key)) {
    out.push_back(Suggestion{std::string(word), base + boost_of(word)});
  }
  std::stable_sort(out.begin(), out.end(), [](const Suggestion& a, const Suggestion& b) {
    return total_less(b.score, a.score);
  });
  const std::size_t exact = out.size();
  for (Suggestion& s : found) {
    if (!listed(out, s.text)) out.push_back(std::move(s));
  }
  std::size_t at = std::max(exact, std::min(kMaxSuggestions - 1, out.size()));
  for (const std::string_view word : user.completing(key)) {
    if (listed(out, word)) continue;
    const float score = at == 0 ? base : out[at - 1].score;
    out.insert(out.begin() + static_cast<std::ptrdiff_t>(at++),
               Suggestion{std::string(word), score});
  }
  if (out.size() > limit) out.resize(limit);
  return out;
}

}  // namespace sorla
