#include <algorithm>
#include <limits>

#include "reference/reference.h"
#include "scoring.h"
#include "sorla/float_order.h"
#include "sorla/normalize.h"

namespace sorla::reference {

namespace {

constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();

struct LatticeNode {
  std::optional<std::uint64_t> last_word;
  std::size_t parent = kNone;
  std::size_t start = 0;              // where this node's span began
  std::optional<std::uint64_t> word;  // kind: word
  std::size_t literal = kNone;        // kind: literal (ordinal of the typed piece)
  float score = 0;
};

bool higher_score(float a, float b) { return total_less(b, a); }

bool is_pair(const PairSet& pairs, std::optional<std::uint64_t> first, std::uint64_t second) {
  if (!first || *first > 0xFFFFFFFFu || second > 0xFFFFFFFFu) return false;
  return pairs.contains({static_cast<std::uint32_t>(*first), static_cast<std::uint32_t>(second)});
}

}  // namespace

std::vector<SpanWord> score_span(const std::vector<Match>& matches, float max_cost,
                                 const RankingParams& params) {
  std::vector<SpanWord> scored;
  for (const Match& m : matches) {
    const float adjusted = adjusted_cost(m.cost, m.exact, params);
    if (!(max_cost >= adjusted)) continue;
    scored.push_back(SpanWord{m.word, span_score(adjusted, word_term(m.word, params))});
  }
  std::stable_sort(scored.begin(), scored.end(), [](const SpanWord& a, const SpanWord& b) {
    return higher_score(a.score, b.score);
  });
  if (scored.size() > kSpanWords) scored.resize(kSpanWords);
  return scored;
}

std::vector<RankedSequence> rank_sequences(std::size_t word_count, const FindFn& find,
                                           const PairSet& pairs,
                                           const std::vector<std::string>& pieces,
                                           std::optional<std::uint64_t> previous,
                                           bool allow_completion, std::size_t limit,
                                           const RankingParams& params) {
  // The letters of all pieces run together, with the places where a typed
  // piece begins marked as boundaries.
  std::string all;
  std::vector<std::size_t> piece_at;  // piece ordinal per letter position
  std::vector<const std::string*> letter_pieces;
  std::vector<bool> boundary;
  for (const std::string& piece : pieces) {
    const std::string l = letters(piece);
    if (l.empty()) continue;
    boundary.resize(all.size() + 1, false);
    boundary[all.size()] = true;
    piece_at.insert(piece_at.end(), l.size(), letter_pieces.size());
    letter_pieces.push_back(&piece);
    all += l;
  }
  const std::size_t n = all.size();
  if (n == 0) return {};
  boundary.resize(n + 1, false);
  boundary[n] = true;

  const float threshold = kMatchThreshold;
  const float lit_penalty = literal_penalty(word_count, params);
  std::vector<LatticeNode> nodes;
  nodes.push_back(LatticeNode{previous, kNone, 0, std::nullopt, kNone, 0.0f});
  std::vector<std::vector<std::size_t>> lists(n + 1);
  lists[0].push_back(0);
  // Words kept for each span (start, length - 1), remembered so that one
  // stretch of letters that reads as a word is not also read as that word twice.
  std::vector<std::vector<std::uint64_t>> span_words(n * kMaxSpan);

  for (std::size_t i = 0; i < n; ++i) {
    if (lists[i].empty()) continue;
    const std::vector<std::size_t> parents = lists[i];
    std::size_t inner = 0;
    for (std::size_t j = i + 1; j <= std::min(n, i + kMaxSpan); ++j) {
      if (j - 1 > i && boundary[j - 1]) ++inner;
      if (inner > kMaxGaps) break;
      const bool whole = boundary[i] && boundary[j];
      const float max_cost = span_cost_limit(whole, j - i);

      const std::vector<Match> matches =
          find(std::string_view(all).substr(i, j - i), threshold, allow_completion && j == n);
      const std::vector<SpanWord> scored = score_span(matches, max_cost, params);
      std::vector<std::uint64_t>& kept = span_words[i * kMaxSpan + (j - i - 1)];
      for (const SpanWord& sw : scored) kept.push_back(sw.word);

      const float cut = cut_cost(inner, boundary[i], params);
      for (std::size_t parent : parents) {
        const LatticeNode p = nodes[parent];
        for (const SpanWord& sw : scored) {
          if (!boundary[i] && p.word == sw.word) {
            const std::size_t h = p.start;
            const std::size_t len = j - h;
            if (len <= kMaxSpan) {
              const auto& whole_span = span_words[h * kMaxSpan + (len - 1)];
              if (std::find(whole_span.begin(), whole_span.end(), sw.word) != whole_span.end()) {
                continue;
              }
            }
          }
          const float bonus = pair_bonus(is_pair(pairs, p.last_word, sw.word), params);
          nodes.push_back(LatticeNode{sw.word, parent, i, sw.word, kNone,
                                      extended_score(p.score, sw.score, bonus, cut)});
          lists[j].push_back(nodes.size() - 1);
        }
      }
      if (whole && inner == 0) {
        for (std::size_t parent : parents) {
          const float score = nodes[parent].score - lit_penalty;
          nodes.push_back(LatticeNode{std::nullopt, parent, i, std::nullopt, piece_at[i], score});
          lists[j].push_back(nodes.size() - 1);
        }
      }
    }

    // Keep the best node per (position, last word); a literal-ended node has
    // no last word, so at most one of those survives per position.
    for (std::size_t p = i + 1; p <= n; ++p) {
      std::vector<std::size_t>& list = lists[p];
      std::stable_sort(list.begin(), list.end(), [&](std::size_t a, std::size_t b) {
        return higher_score(nodes[a].score, nodes[b].score);
      });
      const std::size_t cap = p == n ? std::max(kBeam, limit) : kBeam;
      std::vector<std::size_t> pruned;
      for (std::size_t idx : list) {
        if (pruned.size() == cap) break;
        bool seen = false;
        for (std::size_t kept_idx : pruned) {
          if (nodes[kept_idx].last_word == nodes[idx].last_word) {
            seen = true;
            break;
          }
        }
        if (!seen) pruned.push_back(idx);
      }
      list = std::move(pruned);
    }
  }

  std::vector<std::size_t> final_list = lists[n];
  std::stable_sort(final_list.begin(), final_list.end(), [&](std::size_t a, std::size_t b) {
    return higher_score(nodes[a].score, nodes[b].score);
  });
  if (final_list.size() > limit) final_list.resize(limit);
  std::vector<RankedSequence> out;
  out.reserve(final_list.size());
  for (std::size_t idx : final_list) {
    RankedSequence seq;
    seq.score = nodes[idx].score;
    for (std::size_t at = idx; nodes[at].parent != kNone; at = nodes[at].parent) {
      const LatticeNode& node = nodes[at];
      if (node.word) {
        seq.pieces.emplace_back(std::in_place_index<0>, *node.word);
      } else {
        seq.pieces.emplace_back(std::in_place_index<1>, *letter_pieces[node.literal]);
      }
    }
    std::reverse(seq.pieces.begin(), seq.pieces.end());
    out.push_back(std::move(seq));
  }
  return out;
}

}  // namespace sorla::reference
