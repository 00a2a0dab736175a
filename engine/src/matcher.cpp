// Searching the matcher's laid-out tree: the weighted edit distance one
// typed character at a time, column by column, and the readings it gives.
#include "sorla/matcher.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <limits>
#include <optional>
#include <unordered_map>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "matcher_codes.h"
#include "scoring.h"
#include "sorla/float_order.h"
#include "sorla/normalize.h"
#include "sorla/text.h"

namespace sorla {

float match_threshold() { return kMatchThreshold; }

namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();

bool is_vowel(char32_t c) {
  return c == 'a' || c == 'e' || c == 'i' || c == 'o' || c == 'u' || c == 'y';
}

// Letters that are often typed for one another; `e` sits in two groups.
bool similar(char32_t a, char32_t b) {
  static constexpr std::string_view kGroups[] = {"ae", "eiy", "bp", "cs", "dt", "gk", "ou"};
  if (a > 0x7F || b > 0x7F) return false;
  for (std::string_view g : kGroups) {
    if (g.find(static_cast<char>(a)) != std::string_view::npos &&
        g.find(static_cast<char>(b)) != std::string_view::npos) {
      return true;
    }
  }
  return false;
}

// What a character adds to a cost, as a table by character code and as the
// characters grouped by what they add, cheapest first.
struct AddTable {
  float add[Matcher::kCodes] = {};
  std::size_t levels = 0;
  float level_add[Matcher::kCodes] = {};
  std::uint32_t level_codes[Matcher::kCodes] = {};

  void group() {
    for (std::size_t c = 0; c < Matcher::kCodes; ++c) {
      std::size_t at = 0;
      while (at < levels && level_add[at] != add[c]) ++at;
      if (at == levels) {
        level_add[levels++] = add[c];
      }
      level_codes[at] |= std::uint32_t{1} << c;
    }
    for (std::size_t i = 1; i < levels; ++i) {
      for (std::size_t j = i; j > 0 && level_add[j] < level_add[j - 1]; --j) {
        std::swap(level_add[j], level_add[j - 1]);
        std::swap(level_codes[j], level_codes[j - 1]);
      }
    }
  }
};

// The characters of a table that keep a cost within a limit, by the float
// sums the search makes: the costs that keep a level within are those up to
// one float (the sums only grow with the cost), found once per limit, so
// that a parent takes a few comparisons instead of a sum per level.
class WithinLimit {
 public:
  WithinLimit(const AddTable& t, float limit) : levels_(t.levels) {
    std::uint32_t codes = 0;
    for (std::size_t i = 0; i < Matcher::kCodes; ++i) {
      at_most_[i] = i < levels_ ? largest_within(t.level_add[i], limit) : -kInf;
      codes_[i] = codes;
      if (i < levels_) codes |= t.level_codes[i];
    }
    codes_[Matcher::kCodes] = codes;
  }

  // The characters with cost + add <= limit, for a finite cost.
  std::uint32_t of(float cost) const {
    // The levels within are a first few; the cost functions have four at most.
#if defined(__SSE2__)
    // All four at once: the levels within are the low bits of the mask.
    const int within = _mm_movemask_ps(_mm_cmple_ps(_mm_set1_ps(cost), _mm_loadu_ps(at_most_)));
    std::size_t k = static_cast<std::size_t>(std::bit_width(static_cast<unsigned>(within)));
#else
    std::size_t k = static_cast<std::size_t>(cost <= at_most_[0]) + (cost <= at_most_[1]) +
                    (cost <= at_most_[2]) + (cost <= at_most_[3]);
#endif
    if (levels_ > 4) [[unlikely]] {
      while (k < levels_ && cost <= at_most_[k]) ++k;
    }
    return codes_[k];
  }

 private:
  // The largest float x with x + add <= limit (-inf when none).
  static float largest_within(float add, float limit) {
    float x = limit - add;
    if (std::isnan(x)) return -kInf;
    if (std::isinf(x)) return x;
    while (!(x + add <= limit)) x = std::nextafter(x, -kInf);
    for (float up = std::nextafter(x, kInf); up + add <= limit; up = std::nextafter(x, kInf))
      x = up;
    return x;
  }

  std::size_t levels_;
  float at_most_[Matcher::kCodes];            // non-increasing
  std::uint32_t codes_[Matcher::kCodes + 1];  // [k]: the codes of the first k levels
};

// The cost functions tabled by character code.
struct CostTables {
  AddTable skip;
  AddTable exchange[Matcher::kCodes];  // [typed], by stored character
  AddTable nothing;

  CostTables() {
    for (std::size_t a = 0; a < Matcher::kCodes; ++a) {
      skip.add[a] = skip_cost(char_of_code(a));
      for (std::size_t b = 0; b < Matcher::kCodes; ++b) {
        exchange[a].add[b] = exchange_cost(char_of_code(a), char_of_code(b));
      }
      exchange[a].group();
    }
    skip.group();
    nothing.group();
  }
};

const CostTables& tables() {
  static const CostTables t;
  return t;
}

// The WithinLimit tables of every cost function for one limit, made again
// only when the limit changes: searches keep to one limit, and for the small
// columns of long spans making them was a good part of the work.
struct LimitTables {
  std::uint32_t limit_bits;
  WithinLimit skip;
  std::array<WithinLimit, Matcher::kCodes> exchange;  // [typed]

  explicit LimitTables(float limit)
      : limit_bits(std::bit_cast<std::uint32_t>(limit)),
        skip(tables().skip, limit),
        exchange(make_exchange(limit, std::make_index_sequence<Matcher::kCodes>())) {}

 private:
  template <std::size_t... typed>
  static std::array<WithinLimit, Matcher::kCodes> make_exchange(float limit,
                                                                std::index_sequence<typed...>) {
    return {WithinLimit(tables().exchange[typed], limit)...};
  }
};

// Per thread, for the matcher is searched from any.
const LimitTables& limit_tables(float limit) {
  thread_local std::optional<LimitTables> held;
  if (!held || held->limit_bits != std::bit_cast<std::uint32_t>(limit)) held.emplace(limit);
  return *held;
}

// Set bits of a mask of character codes. std::popcount is a library call on
// processors the build cannot assume have the instruction; a table is not.
std::uint32_t bits_set(std::uint32_t mask) {
  static constexpr auto kByte = [] {
    std::array<std::uint8_t, 256> t{};
    for (std::size_t i = 1; i < t.size(); ++i) t[i] = static_cast<std::uint8_t>(t[i / 2] + (i & 1));
    return t;
  }();
  return kByte[mask & 0xFF] + kByte[(mask >> 8) & 0xFF] + kByte[(mask >> 16) & 0xFF] +
         kByte[mask >> 24];
}

// The children of a run of column entries, in node order (the nodes of one
// level are numbered in their parents' order, a node's children in
// character order), each with what it costs through its parent: the
// parent's cost plus what the child's character adds. Children that this
// makes too costly are passed over without being looked at.
class ChildStream {
 public:
  ChildStream(const Flat<std::uint32_t>& child_begin, const Flat<std::uint32_t>& child_codes,
              const Column& parents, std::size_t from, std::size_t to, const AddTable& add,
              const WithinLimit& within)
      : child_begin_(child_begin.data()),
        child_codes_(child_codes.data()),
        parents_(parents),
        at_(from),
        end_(to),
        add_(add),
        within_(within) {
    settle();
  }
  std::uint32_t head() const { return child_; }
  float cost() const { return cost_; }
  void next() {
    pending_ &= pending_ - 1;
    settle();
  }

 private:
  void settle() {
    while (pending_ == 0) {
      if (at_ == end_) {
        child_ = kNone;
        return;
      }
      // By index: the column may grow while it is read.
      const Reach r = parents_[at_++];
      const std::uint32_t codes = child_codes_[r.node];
      if (codes == 0) continue;  // a leaf
      pending_ = codes & within_.of(r.cost);
      if (pending_ == 0) continue;
      codes_ = codes;
      // When every child is within, they come one after another: no count.
      every_ = pending_ == codes;
      child_ = child_begin_[r.node] - 1;
      first_ = child_ + 1;
      parent_cost_ = r.cost;
    }
    const int code = std::countr_zero(pending_);
    child_ = every_ ? child_ + 1 : first_ + bits_set(codes_ & ((std::uint32_t{1} << code) - 1));
    cost_ = parent_cost_ + add_.add[code];
  }

  const std::uint32_t* child_begin_;
  const std::uint32_t* child_codes_;
  const Column& parents_;
  std::size_t at_, end_;
  const AddTable& add_;
  const WithinLimit& within_;
  std::uint32_t codes_ = 0, pending_ = 0, first_ = 0, child_ = kNone;
  bool every_ = false;
  float parent_cost_ = kInf, cost_ = kInf;
};

// Every word's best reading: exact beats close, then the lower cost, and the
// first one kept stays on a tie.
class AllWords {
 public:
  bool hopeless(std::uint32_t, float) const { return false; }
  bool beaten(float) const { return false; }

  void offer(std::uint64_t word, float cost, bool exact) {
    auto [it, inserted] = best_.try_emplace(word, Best{cost, exact});
    if (inserted) return;
    Best& b = it->second;
    if (better_reading(exact, cost, b.exact, b.cost)) b = Best{cost, exact};
  }

  std::vector<Match> sorted() const {
    std::vector<Match> out;
    out.reserve(best_.size());
    for (const auto& [word, b] : best_) out.push_back(Match{word, b.cost, b.exact});
    std::sort(out.begin(), out.end(), match_before);
    return out;
  }

 private:
  struct Best {
    float cost;
    bool exact;
  };
  std::unordered_map<std::uint64_t, Best> best_;
};

// The best few words by span score, with the bound that lets a search skip
// completions whose every reading would score below the last one kept.
class BestWords {
 public:
  BestWords(const Matcher& m, float max_cost, float threshold, std::size_t limit)
      : m_(m), max_cost_(max_cost), threshold_(threshold), limit_(limit) {
    // One allocation rather than one per doubling: the ranking's lists are short.
    items_.reserve(std::min<std::size_t>(limit, 16));
  }

  // `lower` bounds the cost of every (not exact) reading below a node whose
  // least word index is `min_word`.
  bool hopeless(std::uint32_t min_word, float lower) const {
    if (limit_ == 0) return true;
    if (items_.size() < limit_) return false;
    const float bound = span_score(lower, m_.word_term(min_word));
    return total_order_key(bound) < last_key_;
  }
  // Whether a list that is full keeps only scores above `bound`.
  bool beaten(float bound) const {
    if (limit_ == 0) return true;
    return items_.size() == limit_ && total_order_key(bound) < last_key_;
  }

  void offer(std::uint64_t word, float cost, bool exact) {
    if (limit_ == 0 || !(cost <= threshold_)) return;
    const float adjusted = adjusted_cost(cost, exact, m_.params());
    if (!(max_cost_ >= adjusted)) return;
    const Item item{word, cost, exact, span_score(adjusted, m_.word_term(word))};
    // An item that would not make the list cannot be a better reading of a
    // word on it either: a better reading scores at least as high. Most
    // score below the last one.
    if (items_.size() == limit_) {
      const std::int32_t key = total_order_key(item.score);
      if (key < last_key_ || (key == last_key_ && !before(item, items_.back()))) return;
    }
    auto same =
        std::find_if(items_.begin(), items_.end(), [&](const Item& it) { return it.word == word; });
    if (same != items_.end()) {
      if (!better_reading(exact, cost, same->exact, same->cost)) return;
      items_.erase(same);
    } else if (items_.size() == limit_) {
      items_.pop_back();
    }
    items_.insert(std::upper_bound(items_.begin(), items_.end(), item, before), item);
    if (items_.size() == limit_) last_key_ = total_order_key(items_.back().score);
  }

  std::vector<SpanWord> result() const {
    std::vector<SpanWord> out;
    out.reserve(items_.size());
    for (const Item& it : items_) out.push_back(SpanWord{it.word, it.score});
    return out;
  }

 private:
  struct Item {
    std::uint64_t word;
    float cost;
    bool exact;
    float score;
  };

  // Score highest first; on equal scores the matcher's order: cost, word.
  static bool before(const Item& a, const Item& b) {
    if (total_less(b.score, a.score)) return true;
    if (total_less(a.score, b.score)) return false;
    if (total_less(a.cost, b.cost)) return true;
    if (total_less(b.cost, a.cost)) return false;
    return a.word < b.word;
  }

  const Matcher& m_;
  float max_cost_;
  float threshold_;
  std::size_t limit_;
  std::vector<Item> items_;
  std::int32_t last_key_ = 0;  // of the last score kept, once the list is full
};

// At least the score of every (not exact) reading at or below a node reached
// at `cost`, whose spellings bring at best `best` (Matcher::best_at_): the
// exact sum, and a margin far above what the search's roundings can add.
float reach_bound(float cost, float best, float least) {
  const float bound = kCostWeight * cost + best;
  if (std::isinf(bound)) return bound;  // nothing below
  return bound + 1e-3f * std::max(least, std::fabs(bound));
}

// reach_bound's `least` for a matcher whose columns keep `cost_margin`:
// carries and tails round at the size of the completion cost times the
// depth, which that margin covers over ten times, so the bound keeps it in
// score as well; beyond 1 only for completion costs far above 0.3.
float least_for(float cost_margin) { return std::max(1.0f, 1e3f * -kCostWeight * cost_margin); }

// The column of a whole typed text, from column 0 on.
const Column& typed_column(const Matcher& m, std::span<const std::uint8_t> codes, float limit,
                           Column& a, Column& b, SearchStats* stats) {
  m.first_column(limit, a);
  for (std::uint8_t code : codes) {
    m.next_column(a, code, limit, b, stats);
    a.swap(b);
  }
  return a;
}

}  // namespace

bool match_before(const Match& a, const Match& b) {
  if (total_less(a.cost, b.cost)) return true;
  if (total_less(b.cost, a.cost)) return false;
  return a.word < b.word;
}

float skip_cost(char32_t c) { return is_vowel(c) || c == 'h' ? 0.45f : 1.2f; }

float exchange_cost(char32_t t, char32_t c) {
  if (t == c) return 0.0f;
  if (similar(t, c)) return 0.4f;
  if (is_vowel(t) && is_vowel(c)) return 0.6f;
  return 1.5f;
}

float Matcher::best_at(std::uint32_t node) const {
  return best_top_ - kBestStep * static_cast<float>(best_at_[node]);
}

float Matcher::word_term(std::uint64_t word) const {
  if (word < word_terms_.size()) return word_terms_[word];
  return sorla::word_term(word, params_);
}

std::size_t Matcher::depth_of(std::uint32_t node) const {
  return static_cast<std::size_t>(std::upper_bound(level_begin_.begin(), level_begin_.end(), node) -
                                  level_begin_.begin() - 1);
}

float Matcher::column_limit(float threshold) const { return threshold + margin_; }

void Matcher::first_column(float limit, Column& out) const {
  out.clear();
  if (!(0.0f <= limit)) return;
  const CostTables& ct = tables();
  out.push_back(Reach{0, 0.0f});
  // Only letters the typing left out so far: each level from the last.
  for (std::size_t from = 0, to = 1; from < to; from = to, to = out.size()) {
    for (std::size_t at = from; at < to; ++at) {
      const Reach r = out[at];
      each_child(r.node, [&](std::uint32_t c, std::uint8_t code) {
        const float cost = r.cost + ct.skip.add[code];
        if (cost <= limit) out.push_back(Reach{c, cost});
      });
    }
  }
}

// A node is reached in column k + 1 from its parent in column k (the typed
// character exchanged for the node's), its parent in column k + 1 (the node's
// character left out) or itself in column k (the typed character left out).
// Every other node costs more than the limit, so one level at a time the
// candidates are the nodes of `prev` on that level and the children of the
// level above in both columns, merged in node order.
void Matcher::next_column(const Column& prev, std::uint8_t code, float limit, Column& out,
                          SearchStats* stats) const {
  out.clear();
  const CostTables& ct = tables();
  const float skip_typed = ct.skip.add[code];
  const AddTable& exchange = ct.exchange[code];
  const LimitTables& within = limit_tables(limit);
  // Copies: kept on the stack, they are not read again after every write.
  const WithinLimit exchange_within = within.exchange[code], skip_within = within.skip;
  // prev stays as it is while out grows, so it is read in place.
  const Reach* const before = prev.data();
  const std::size_t count = prev.size();
  std::uint64_t visited = 0;
  std::size_t own = 0;                       // next entry of prev not yet looked at
  std::size_t above_from = 0, above_to = 0;  // prev's entries on the level above
  std::size_t out_from = 0, out_to = 0;      // out's entries on the level above
  std::size_t d = 0;
  while (true) {
    if (above_from == above_to && out_from == out_to) {
      if (own == count) break;
      d = depth_of(before[own].node);  // no level between reaches anything
    }
    const std::uint32_t level_end = level_begin_[d + 1];
    const std::size_t own_from = own;
    const std::size_t level_from = out.size();
    ChildStream exchanged(child_begin_, child_codes_, prev, above_from, above_to, exchange,
                          exchange_within);
    ChildStream left_out(child_begin_, child_codes_, out, out_from, out_to, ct.skip, skip_within);
    // The next node of prev on this level that leaving out the typed
    // character keeps in reach, and that cost.
    std::uint32_t a = kNone;
    float across = kInf;
    const auto next_own = [&] {
      a = kNone;
      for (; own < count && before[own].node < level_end; ++own) {
        across = before[own].cost + skip_typed;
        if (across <= limit) {
          a = before[own++].node;
          return;
        }
      }
    };
    next_own();
    while (true) {
      const std::uint32_t x = std::min({a, exchanged.head(), left_out.head()});
      if (x == kNone) break;
      float diagonal = kInf, down = kInf, kept = kInf;
      if (exchanged.head() == x) {
        diagonal = exchanged.cost();
        exchanged.next();
      }
      if (left_out.head() == x) {
        down = left_out.cost();
        left_out.next();
      }
      if (a == x) {
        kept = across;
        next_own();
      }
      ++visited;
      out.push_back(Reach{x, std::min(std::min(diagonal, down), kept)});
    }
    above_from = own_from;
    above_to = own;
    out_from = level_from;
    out_to = out.size();
    ++d;
  }
  if (stats) stats->trie_nodes += visited;
}

template <typename Collector>
void Matcher::offer_entries(std::uint32_t node, float cost, bool on_path,
                            std::string_view typed_letters, Collector& out) const {
  // A stored tree's entry ranges and entries are checked here, not when it is
  // opened: a range past the entries is empty (one falling is already), an
  // entry naming no word or spelling is passed over.
  const std::uint32_t end = entry_begin_[node + 1];
  if (end > entries_.size()) return;
  for (std::uint32_t e = entry_begin_[node]; e < end; ++e) {
    const MatcherEntry& entry = entries_[e];
    if (!sound_entry(entry)) continue;
    // Only the typed text's own path costs 0, and only there can the letters
    // match exactly.
    const bool exact = on_path && typed_letters == &letters_pool_[entry.letters];
    out.offer(entry.word, cost, exact);
  }
}

// The readings of a column: each node's own cost and, with completion, the
// cheapest way of stopping the typing at an ancestor at least as deep as the
// typed text and paying 0.3 for every character after it. That least
// "carry" travels down a level at a time while it can still come within the
// threshold; nodes of the column bring in their own.
template <typename Collector>
void Matcher::collect(const Column& column, std::size_t typed_chars, std::string_view typed_letters,
                      float threshold, bool allow_completion, Collector& out,
                      std::uint64_t& visited) const {
  const std::uint32_t deep = allow_completion && typed_chars + 1 < level_begin_.size()
                                 ? level_begin_[typed_chars]
                                 : static_cast<std::uint32_t>(code_.size());
  const float least = least_for(margin_);
  // Read in place: offers do not touch the column.
  const Reach* const col = column.data();
  const std::size_t size = column.size();
  std::size_t at = 0;
  for (; at < size && col[at].node < deep; ++at) {
    const Reach& r = col[at];
    // Most nodes hold no spelling: no call for those.
    if (r.cost <= threshold && entry_begin_[r.node] != entry_begin_[r.node + 1] &&
        (r.cost == 0.0f || !out.beaten(reach_bound(r.cost, best_at(r.node), least)))) {
      offer_entries(r.node, r.cost, r.cost == 0.0f, typed_letters, out);
    }
  }
  const CostTables& ct = tables();
  static const WithinLimit everything(ct.nothing, kInf);
  // (node, carry), in room kept per thread: most walks carry something.
  thread_local Column carried, below;
  carried.clear();
  std::size_t d = typed_chars;
  // Whether a column entry at depth d can count: offered at its own cost or
  // its own tail (which rounding may bring under its cost), or carried down.
  // One that cannot leaves every offer and carry as it was, so it is passed
  // over; most entries of a short span's column are.
  // (A carry a level further down comes within only if this level's tail
  // does: steps grow with depth.)
  const auto counts = [&](const Reach& r, float step) {
    const float full = r.cost;
    const float carry = full - step;
    if (!(full <= threshold || carry + step <= threshold)) return false;
    // Its readings, own and carried down, cannot make the list.
    return full == 0.0f || !out.beaten(reach_bound(full, best_at(r.node), least));
  };
  float step = completion_step(params_, d);
  while (at < size || !carried.empty()) {
    if (carried.empty()) {
      // Nothing carried: on to the next entry that counts, on its level.
      for (; at < size; ++at) {
        if (col[at].node >= level_begin_[d + 1]) {
          do ++d;
          while (col[at].node >= level_begin_[d + 1]);
          step = completion_step(params_, d);
        }
        if (counts(col[at], step)) break;
      }
      if (at == size) break;
    }
    const float next_step = completion_step(params_, d + 1);
    const std::uint32_t level_end = level_begin_[d + 1];
    below.clear();
    ChildStream inherited(child_begin_, child_codes_, carried, 0, carried.size(), ct.nothing,
                          everything);
    while (true) {
      while (at < size && col[at].node < level_end && !counts(col[at], step)) {
        ++at;
      }
      const std::uint32_t own = at < size && col[at].node < level_end ? col[at].node : kNone;
      const std::uint32_t x = std::min(own, inherited.head());
      if (x == kNone) break;
      float carry = kInf, full = kInf;
      if (inherited.head() == x) {
        carry = inherited.cost();
        inherited.next();
      }
      if (own == x) full = col[at++].cost;
      carry = std::min(carry, full - step);
      const float tail = carry + step;
      const float cost = std::min(full, tail);
      ++visited;
      if (cost <= threshold && entry_begin_[x] != entry_begin_[x + 1]) {
        offer_entries(x, cost, full == 0.0f, typed_letters, out);
      }
      // Tails only grow downwards, so a carry whose next tail is past the
      // threshold, or cannot beat what is kept, goes no further.
      const float next_tail = carry + next_step;
      if (next_tail <= threshold && !out.hopeless(min_word_[x], next_tail) &&
          !out.beaten(reach_bound(next_tail - params_.completion_cost, best_at(x), least))) {
        below.push_back(Reach{x, carry});
      }
    }
    carried.swap(below);
    ++d;
    step = next_step;
  }
}

std::vector<SpanWord> Matcher::best_words_at(const Column& column, std::size_t typed_chars,
                                             std::string_view typed_letters, float max_cost,
                                             bool allow_completion, std::size_t limit,
                                             SearchStats* stats) const {
  const float threshold = std::min(max_cost, match_threshold());
  BestWords out(*this, max_cost, match_threshold(), limit);
  std::uint64_t visited = 0;
  collect(column, typed_chars, typed_letters, threshold, allow_completion, out, visited);
  if (stats) {
    ++stats->matcher_calls;
    stats->trie_nodes += visited;
  }
  return out.result();
}

std::vector<Match> Matcher::find(std::string_view typed, float threshold,
                                 bool allow_completion) const {
  if (!compacted_) {
    Matcher laid_out = *this;
    laid_out.compact();
    return laid_out.find(typed, threshold, allow_completion);
  }
  std::vector<std::uint8_t> t;
  fold_codes(typed, t);
  if (t.empty()) return {};
  const std::string typed_letters = letters(typed);
  Column a, b;
  const Column& column = typed_column(*this, t, column_limit(threshold), a, b, nullptr);
  AllWords out;
  std::uint64_t visited = 0;
  collect(column, t.size(), typed_letters, threshold, allow_completion, out, visited);
  return out.sorted();
}

std::vector<SpanWord> Matcher::best_words(std::string_view typed_letters, float max_cost,
                                          bool allow_completion, std::size_t limit,
                                          SearchStats* stats) const {
  if (!compacted_) {
    Matcher laid_out = *this;
    laid_out.compact();
    return laid_out.best_words(typed_letters, max_cost, allow_completion, limit, stats);
  }
  std::vector<std::uint8_t> t;
  fold_codes(typed_letters, t);
  if (t.empty()) return {};
  Column a, b;
  const float limit_cost = column_limit(std::min(max_cost, match_threshold()));
  const Column& column = typed_column(*this, t, limit_cost, a, b, stats);
  return best_words_at(column, t.size(), typed_letters, max_cost, allow_completion, limit, stats);
}

const Column& MatchColumns::follow(const Matcher& m, const Column& first,
                                   std::span<const std::uint8_t> codes, float limit,
                                   SearchStats* stats, FirstColumns* shared) {
  if (std::bit_cast<std::uint32_t>(limit) != std::bit_cast<std::uint32_t>(limit_) ||
      (shared_first_ && !shared)) {
    held_ = 0;
    limit_ = limit;
  }
  // Made in the shared room when there is one, then kept at its size.
  const auto make = [&](const Column& prev, std::uint8_t code, Column& out) {
    if (!shared) return m.next_column(prev, code, limit, out, stats);
    m.next_column(prev, code, limit, shared->scratch, stats);
    out.assign(shared->scratch.begin(), shared->scratch.end());
  };
  // Column k + 1, which for k = 0 may be the shared one.
  const auto column = [&](std::size_t k) -> const Column& {
    return k == 0 && shared_first_ ? shared->of[codes_[0]] : columns_[k];
  };
  std::size_t same = 0;
  while (same < held_ && same < codes.size() && codes_[same] == codes[same]) ++same;
  // The column read, or grown from, may have been given back.
  const std::size_t read = std::min(same, codes.size());
  if (read > 0 && read - 1 < dropped_ && !(read == 1 && shared_first_)) same = 0;
  if (same < codes.size()) {
    if (same == 0) dropped_ = 0;
    // New characters from `same` on. A text that is a beginning of the held
    // one keeps the longer columns, so typing back what was just erased
    // finds them again.
    if (columns_.size() < codes.size()) columns_.resize(codes.size());
    codes_.assign(codes.begin(), codes.end());
    for (std::size_t k = same; k < codes.size(); ++k) {
      if (k == 0) {
        shared_first_ = shared != nullptr;
        if (shared_first_) {
          if (std::bit_cast<std::uint32_t>(limit) != std::bit_cast<std::uint32_t>(shared->limit)) {
            shared->made = 0;
            shared->limit = limit;
          }
          const std::uint32_t bit = std::uint32_t{1} << codes[0];
          if (!(shared->made & bit)) {
            make(first, codes[0], shared->of[codes[0]]);
            shared->made |= bit;
          }
          columns_[0] = Column();  // no room held twice
          continue;
        }
      }
      make(k == 0 ? first : column(k - 1), codes[k], columns_[k]);
    }
    held_ = codes.size();
  }
  return codes.empty() ? first : column(codes.size() - 1);
}

std::size_t MatchColumns::held_bytes() const {
  std::size_t bytes = codes_.capacity() + columns_.capacity() * sizeof(Column);
  for (const Column& c : columns_) bytes += c.capacity() * sizeof(Reach);
  return bytes;
}

void MatchColumns::release_spare() {
  for (std::size_t k = held_; k < columns_.size(); ++k) columns_[k] = Column();
}

void MatchColumns::release_inner(std::size_t keep) {
  if (held_ <= keep) return;
  for (std::size_t k = dropped_; k < held_ - keep; ++k) columns_[k] = Column();
  dropped_ = std::max(dropped_, held_ - keep);
}

}  // namespace sorla
