#include "sorla/rank.h"

#include <algorithm>
#include <bit>
#include <limits>

#include "scoring.h"
#include "sorla/float_order.h"
#include "sorla/normalize.h"

namespace sorla {

namespace {

// Span results kept between calls: when there are more, or they hold more
// room, at a call's start, they become the older ones, and those before
// them are dropped.
constexpr std::size_t kSpanCache = 2048;

using Node = Ranker::Node;

bool higher_score(float a, float b) { return total_less(b, a); }

bool is_pair(const PairSet& pairs, std::uint64_t first, std::uint64_t second) {
  if (first > 0xFFFFFFFFu || second > 0xFFFFFFFFu) return false;
  return pairs.contains({static_cast<std::uint32_t>(first), static_cast<std::uint32_t>(second)});
}

// Offers `node` to a list kept best first, one node per last word, at most
// `cap`: it enters only if it beats the node of its word there or, when the
// list is full, the last one, after every node that scores as high (equal
// scores keep their order). A node left out never comes back, for the list
// only gets better; so offering nodes one by one keeps the same nodes, in
// the same order, as sorting them all and keeping the first of each word.
void offer(std::vector<Node>& list, const Node& node, std::size_t cap) {
  std::size_t kept = list.size();
  // Most nodes do not beat the last of a full list, nor so the node of their
  // word, which scores at least as high: no need to look for it.
  if (kept == cap && (cap == 0 || !higher_score(node.score, list[kept - 1].score))) return;
  std::size_t same = 0;
  while (same < kept && list[same].last_word != node.last_word) ++same;
  if (same < kept) {
    if (!higher_score(node.score, list[same].score)) return;
    list.erase(list.begin() + static_cast<std::ptrdiff_t>(same));
    --kept;
  } else if (kept == cap) {
    list.pop_back();  // the node beats the last, as tested above
    --kept;
  }
  std::size_t pos = kept;
  while (pos > 0 && higher_score(node.score, list[pos - 1].score)) --pos;
  list.insert(list.begin() + static_cast<std::ptrdiff_t>(pos), node);
}

// The letters of all pieces run together, with the places where a typed
// piece begins marked as boundaries.
struct TypedLetters {
  std::string all;
  std::vector<std::uint32_t> piece_at;            // piece ordinal per letter position
  std::vector<const std::string*> letter_pieces;  // the pieces that hold letters
  std::vector<bool> boundary;                     // all.size() + 1 of them when not empty
};

TypedLetters lay_out(const std::vector<std::string>& pieces) {
  TypedLetters t;
  // Room for all at once: letters are at most the typed characters.
  std::size_t most = 0;
  for (const std::string& piece : pieces) most += piece.size();
  t.all.reserve(most);
  t.piece_at.reserve(most);
  t.letter_pieces.reserve(pieces.size());
  t.boundary.reserve(most + 1);
  for (const std::string& piece : pieces) {
    const std::string l = letters(piece);
    if (l.empty()) continue;
    t.boundary.resize(t.all.size() + 1, false);
    t.boundary[t.all.size()] = true;
    t.piece_at.insert(t.piece_at.end(), l.size(),
                      static_cast<std::uint32_t>(t.letter_pieces.size()));
    t.letter_pieces.push_back(&piece);
    t.all += l;
  }
  if (!t.all.empty()) {
    t.boundary.resize(t.all.size() + 1, false);
    t.boundary[t.all.size()] = true;
  }
  return t;
}

}  // namespace

std::size_t Ranker::SpanKeyHash::operator()(const SpanKeyView& k) const {
  return std::hash<std::string_view>{}(k.letters) ^
         (static_cast<std::size_t>(k.max_cost_bits) * 0x9E3779B9u + k.completion);
}

// A map node: the entry, the next pointer and the cached hash; the letters
// and the words where they do not fit in place.
std::size_t Ranker::entry_bytes(const SpanMap::value_type& entry) {
  const std::string& letters = entry.first.letters;
  const bool on_heap = letters.capacity() > std::string().capacity();
  return sizeof(entry) + 2 * sizeof(void*) + (on_heap ? letters.capacity() + 1 : 0) +
         entry.second.capacity() * sizeof(SpanWord);
}

Ranker::HeldBytes Ranker::held_bytes() const {
  HeldBytes held;
  held.spans = span_bytes_ + older_span_bytes_ +
               (spans_.bucket_count() + older_spans_.bucket_count()) * sizeof(void*);
  held.columns = starts_.capacity() * sizeof(MatchColumns);
  for (const MatchColumns& start : starts_) held.columns += start.held_bytes();
  held.first_columns = (first_.capacity() + first_columns_.scratch.capacity()) * sizeof(Reach);
  for (const Column& c : first_columns_.of) held.first_columns += c.capacity() * sizeof(Reach);
  held.lists = lists_.capacity() * sizeof(lists_[0]) + letters_.capacity() + codes_.capacity();
  for (const std::vector<Node>& list : lists_) held.lists += list.capacity() * sizeof(Node);
  return held;
}

const std::vector<SpanWord>* Ranker::kept_span(const SpanKeyView& key) {
  if (auto it = spans_.find(key); it != spans_.end()) return &it->second;
  auto it = older_spans_.find(key);
  if (it == older_spans_.end()) return nullptr;
  const std::size_t bytes = entry_bytes(*it);
  older_span_bytes_ -= bytes;
  span_bytes_ += bytes;
  // Moved over in its node, so the words stay where they are.
  return &spans_.insert(older_spans_.extract(it)).position->second;
}

const std::vector<SpanWord>& Ranker::keep_span(SpanKey key, std::vector<SpanWord> words) {
  const auto& entry = *spans_.emplace(std::move(key), std::move(words)).first;
  span_bytes_ += entry_bytes(entry);
  return entry.second;
}

const std::vector<SpanWord>& Ranker::span_words(const Matcher& matcher, std::size_t start,
                                                std::string_view letters, bool completion,
                                                float max_cost, SearchStats* stats) {
  const SpanKeyView key{letters, completion, std::bit_cast<std::uint32_t>(max_cost)};
  if (!matcher.compacted()) {
    if (const std::vector<SpanWord>* kept = kept_span(key)) return *kept;
    return keep_span({std::string(letters), key.completion, key.max_cost_bits},
                     matcher.best_words(letters, max_cost, completion, kSpanWords, stats));
  }
  // Spans from one start share their columns: a longer span, or the same
  // span a keystroke later, only adds the columns of its new characters.
  // They are kept up even when the span's words are known already, so that
  // a start never has many columns to catch up on at once.
  const float limit = matcher.column_limit(kMaxSpanCost);
  if (first_.empty()) matcher.first_column(limit, first_);
  if (starts_.size() <= start) starts_.resize(start + 1);
  fold_codes(letters, codes_);
  const Column& column =
      starts_[start].follow(matcher, first_, codes_, limit, stats, &first_columns_);
  if (const std::vector<SpanWord>* kept = kept_span(key)) return *kept;
  return keep_span({std::string(letters), key.completion, key.max_cost_bits},
                   matcher.best_words_at(column, codes_.size(), letters, max_cost, completion,
                                         kSpanWords, stats));
}

// One call: its typed letters, its settings, and what extending from each
// start shares.
struct Ranker::Call {
  const Matcher& matcher;
  const PairSet& pairs;
  SearchStats* stats;
  std::size_t word_count;
  std::uint64_t previous;  // kNoWord when absent
  bool allow_completion;
  std::size_t limit;
  TypedLetters typed;
  std::size_t n = 0;      // letters
  std::size_t first = 0;  // the first list made anew
  std::size_t lo = 0;     // the first start whose spans can reach it
  float lit_penalty = 0;
  // Words kept for each span (start - lo, length - 1) made in this call, so
  // that one stretch of letters that reads as a word is not also read as
  // that word twice.
  std::vector<const std::vector<SpanWord>*> kept = {};
  std::uint64_t made = 0;  // lattice nodes

  // Whether `word` was kept in this call for the span [start, end).
  bool kept_for(std::size_t start, std::size_t end, std::uint64_t word) const {
    if (start < lo || end - start > kMaxSpan) return false;
    const std::vector<SpanWord>* words = kept[(start - lo) * kMaxSpan + (end - start - 1)];
    return words && std::any_of(words->begin(), words->end(),
                                [&](const SpanWord& w) { return w.word == word; });
  }
};

std::vector<RankedSequence> Ranker::rank(std::size_t word_count, const Matcher& matcher,
                                         const PairSet& pairs,
                                         const std::vector<std::string>& pieces,
                                         std::optional<std::uint64_t> previous,
                                         bool allow_completion, std::size_t limit,
                                         SearchStats* stats) {
  const std::uint64_t prev = previous.value_or(kNoWord);
  Call call{matcher, pairs, stats, word_count, prev, allow_completion, limit, lay_out(pieces)};
  const std::size_t n = call.n = call.typed.all.size();
  if (n == 0) {
    // Typing starts anew: no old result is worth keeping, only the lists'
    // little room and the room new columns are made in, and the column 1 of
    // each letter, which every text starting with it makes again (up to 28
    // columns, each of the same few thousand nodes whatever was typed).
    letters_.clear();
    for (std::vector<Node>& list : lists_) list.clear();
    spans_.clear();
    older_spans_.clear();
    span_bytes_ = older_span_bytes_ = 0;
    starts_.clear();
    return {};
  }
  const std::size_t keep = keep_from_last_call(call);
  call.first = std::max<std::size_t>(keep, 1);
  call.lo = call.first > kMaxSpan ? call.first - kMaxSpan : 0;
  call.lit_penalty = literal_penalty(word_count, matcher.params());
  call.kept.assign((n - call.lo) * kMaxSpan, nullptr);

  for (std::size_t i = call.lo; i < n; ++i) extend_from(i, call);
  if (stats) stats->lattice_nodes += call.made;
  trim_columns(call.lo, n);

  letters_ = call.typed.all;
  boundary_ = call.typed.boundary;
  previous_ = call.previous;
  word_count_ = word_count;
  allow_completion_ = allow_completion;
  limit_ = limit;
  return read_back(call);
}

// Columns from starts that no span can use any more hold a lot of room;
// past the budget, so do the columns kept for typing back erased letters:
// those of starts past the text's end and the spare ones of each start,
// then the inner ones of each start, which only a shorter text reads (the
// next letter reads a start's last two, a backspace its third last).
void Ranker::trim_columns(std::size_t lo, std::size_t n) {
  for (std::size_t i = 0; i < std::min(lo, starts_.size()); ++i) starts_[i] = MatchColumns();
  const auto held = [&] {
    std::size_t bytes = 0;
    for (const MatchColumns& start : starts_) bytes += start.held_bytes();
    return bytes;
  };
  if (held() <= budget_.column_bytes) return;
  for (std::size_t i = n; i < starts_.size(); ++i) starts_[i] = MatchColumns();
  for (MatchColumns& start : starts_) start.release_spare();
  if (held() <= budget_.column_bytes) return;
  for (MatchColumns& start : starts_) start.release_inner(3);
}

// A position's final list depends only on the letters before it, the
// boundaries up to it and on not being the end: those before the first
// change are kept from the last call, the others cleared. Returns how many
// are kept.
std::size_t Ranker::keep_from_last_call(const Call& call) {
  const std::string& all = call.typed.all;
  const std::size_t n = call.n;
  std::size_t keep = 0;
  if (!letters_.empty() && call.previous == previous_ && call.word_count == word_count_ &&
      call.allow_completion == allow_completion_ && call.limit == limit_) {
    const std::size_t upto = std::min(letters_.size(), n);
    while (keep < upto && call.typed.boundary[keep] == boundary_[keep] &&
           (keep == 0 || all[keep - 1] == letters_[keep - 1])) {
      ++keep;
    }
  }
  // Spans this call reads again are moved back from the older ones: a long
  // text never finds all its spans gone at once.
  if (spans_.size() > kSpanCache || span_bytes_ > budget_.span_bytes) {
    older_spans_ = std::move(spans_);
    spans_.clear();
    older_span_bytes_ = span_bytes_;
    span_bytes_ = 0;
  }
  // Lists past the end keep their room for when the text grows again.
  if (lists_.size() < n + 1) lists_.resize(n + 1);
  for (std::size_t p = keep; p <= n; ++p) lists_[p].clear();
  if (keep == 0) {
    Node root;
    root.last_word = call.previous;
    root.word = kNoWord;
    lists_[0].push_back(root);
  }
  return keep;
}

// Every span from `i` extends every node of list i, as a word the span
// reads as or, for one whole typed piece, as that piece passed through.
void Ranker::extend_from(std::size_t i, Call& call) {
  const std::vector<Node>& parents = lists_[i];
  if (parents.empty()) return;
  const std::vector<bool>& boundary = call.typed.boundary;
  const std::size_t n = call.n, first = call.first, lo = call.lo;
  std::size_t inner = 0;
  const std::size_t last = std::min(n, i + kMaxSpan);
  for (std::size_t j = i + 1; j <= last; ++j) {
    if (j - 1 > i && boundary[j - 1]) ++inner;
    if (inner > kMaxGaps) break;
    if (j < first) continue;
    const bool whole = boundary[i] && boundary[j];
    const float max_cost = span_cost_limit(whole, j - i);
    const std::vector<SpanWord>& scored =
        span_words(call.matcher, i, std::string_view(call.typed.all).substr(i, j - i),
                   call.allow_completion && j == n, max_cost, call.stats);
    call.kept[(i - lo) * kMaxSpan + (j - i - 1)] = &scored;

    const float cut = cut_cost(inner, boundary[i], call.matcher.params());
    std::vector<Node>& list = lists_[j];
    // Keep the best node per (position, last word); a literal-ended node has
    // no last word, so at most one of those survives per position.
    const std::size_t cap = j == n ? std::max(kBeam, call.limit) : kBeam;
    for (std::size_t pi = 0; pi < parents.size(); ++pi) {
      const Node& p = parents[pi];
      for (const SpanWord& sw : scored) {
        // The same word again, where one span reads as it whole.
        if (!boundary[i] && p.word == sw.word && call.kept_for(p.start, j, sw.word)) continue;
        const float bonus =
            pair_bonus(p.last_word != kNoWord && is_pair(call.pairs, p.last_word, sw.word),
                       call.matcher.params());
        Node node;
        node.score = extended_score(p.score, sw.score, bonus, cut);
        node.parent_pos = static_cast<std::uint32_t>(i);
        node.parent_idx = static_cast<std::uint32_t>(pi);
        node.start = static_cast<std::uint32_t>(i);
        node.last_word = sw.word;
        node.word = sw.word;
        offer(list, node, cap);
        ++call.made;
      }
    }
    if (whole && inner == 0) {
      for (std::size_t pi = 0; pi < parents.size(); ++pi) {
        Node node;
        node.score = parents[pi].score - call.lit_penalty;
        node.parent_pos = static_cast<std::uint32_t>(i);
        node.parent_idx = static_cast<std::uint32_t>(pi);
        node.start = static_cast<std::uint32_t>(i);
        node.literal = call.typed.piece_at[i];
        node.last_word = kNoWord;
        node.word = kNoWord;
        offer(list, node, cap);
        ++call.made;
      }
    }
  }
}

// The best `limit` sequences of the final list, each read back from its
// last node along the parents.
std::vector<RankedSequence> Ranker::read_back(const Call& call) const {
  const std::size_t n = call.n;
  const std::vector<Node>& final_list = lists_[n];  // pruned: sorted best first
  std::vector<RankedSequence> out;
  out.reserve(std::min(final_list.size(), call.limit));
  for (std::size_t at = 0; at < final_list.size() && at < call.limit; ++at) {
    RankedSequence seq;
    seq.score = final_list[at].score;
    std::size_t length = 0;
    for (std::size_t pos = n, idx = at; pos != 0; ++length) {
      const Node& node = lists_[pos][idx];
      pos = node.parent_pos;
      idx = node.parent_idx;
    }
    seq.pieces.reserve(length);
    std::size_t pos = n;
    std::size_t idx = at;
    while (pos != 0) {
      const Node& node = lists_[pos][idx];
      if (node.word != kNoWord) {
        seq.pieces.emplace_back(std::in_place_index<0>, node.word);
      } else {
        seq.pieces.emplace_back(std::in_place_index<1>, *call.typed.letter_pieces[node.literal]);
      }
      pos = node.parent_pos;
      idx = node.parent_idx;
    }
    std::reverse(seq.pieces.begin(), seq.pieces.end());
    out.push_back(std::move(seq));
  }
  return out;
}

std::vector<RankedSequence> rank_sequences(std::size_t word_count, const Matcher& matcher,
                                           const PairSet& pairs,
                                           const std::vector<std::string>& pieces,
                                           std::optional<std::uint64_t> previous,
                                           bool allow_completion, std::size_t limit) {
  return Ranker().rank(word_count, matcher, pairs, pieces, previous, allow_completion, limit);
}

}  // namespace sorla
