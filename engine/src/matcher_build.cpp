// Building the matcher's character tree: spellings inserted, then laid
// out level by level in the arrays the search reads (or an index maps).
#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

#include "matcher_codes.h"
#include "scoring.h"
#include "sorla/matcher.h"
#include "sorla/normalize.h"
#include "sorla/text.h"

namespace sorla {
namespace {

// Completion costs are sums and differences of multiples of the completion
// cost up to the longest spelling: columns keep this much beyond a
// threshold, so that a node whose rounding still lands within it is never
// left out. Four roundings, each within 2^-24 of at most the longest
// completion's cost plus the threshold, stay below 2.4e-7 * (that cost + 3);
// the margin is over ten times that for any completion cost, and for 0.3 or
// less the same as it always was.
float margin_for(std::uint64_t max_len, float completion_cost) {
  return 1e-4f + 1e-6f * static_cast<float>(max_len) * std::max(1.0f, completion_cost / 0.3f);
}

// Words below this index get their ranking term tabled at insert.
constexpr std::uint64_t kTermTable = std::uint64_t{1} << 22;
// Word indexes from here on count as this one when bounding a search.
constexpr std::uint32_t kMinWordCap = std::numeric_limits<std::uint32_t>::max();

// Frees a vector's room; assigning {} would keep it.
template <typename T>
void release(std::vector<T>& v) {
  std::vector<T>().swap(v);
}

}  // namespace

void fold_codes(std::string_view text, std::vector<std::uint8_t>& out) {
  // Folding never makes a text longer.
  out.resize(text.size());
  std::size_t n = 0;
  fold_each(text, [&](char32_t c) { out[n++] = code_of(c); });
  out.resize(n);
}

Matcher::Matcher(const RankingParams& params) : params_(params) {}

std::size_t Matcher::node_count() const {
  if (compacted_) return code_.size();
  Matcher laid_out = *this;
  laid_out.compact();
  return laid_out.code_.size();
}

void Matcher::add_pending(const MatcherEntry& entry, std::span<const std::uint8_t> codes) {
  Pending p{};
  p.word = entry.word;
  p.letters = entry.letters;
  p.length = static_cast<std::uint32_t>(codes.size());
  p.tail = static_cast<std::uint32_t>(pending_tail_.size());
  const std::size_t head = std::min(codes.size(), Pending::kHead);
  std::copy(codes.begin(), codes.begin() + head, p.head);
  pending_tail_.insert(pending_tail_.end(), codes.begin() + head, codes.end());
  pending_.push_back(p);
}

void Matcher::insert(std::uint32_t word, std::string_view spelling) {
  if (compacted_) reopen();
  // Stored spellings are mostly plain letters already: then they are their
  // own letters, kept and folded as they are.
  std::string owned;
  std::string_view plain = spelling;
  if (!is_plain_letters(spelling)) {
    owned = letters(spelling);
    plain = owned;
  }
  folded_.resize(plain.size());
  std::size_t length = 0;
  fold_letters_each(plain, [&](char32_t c) { folded_[length++] = code_of(c); });
  if (length == 0) return;
  max_len_ = std::max<std::uint64_t>(max_len_, length);
  const MatcherEntry entry{word, static_cast<std::uint32_t>(letters_pool_.size())};
  add_pending(entry, std::span<const std::uint8_t>(folded_.data(), length));
  letters_pool_.edit([&](std::vector<char>& pool) {
    pool.insert(pool.end(), plain.begin(), plain.end());
    pool.push_back('\0');
  });
  if (word < kTermTable && word_terms_.size() <= word) {
    word_terms_.edit([&](std::vector<float>& terms) {
      while (terms.size() <= word) {
        terms.push_back(sorla::word_term(terms.size(), params_));
      }
    });
  }
}

// Turns the laid-out tree back into pending spellings, one per entry.
void Matcher::reopen() {
  const std::size_t count = code_.size();
  std::vector<std::uint8_t> paths;
  std::vector<std::uint32_t> path(count, 0);  // where each node's path starts
  std::vector<std::uint32_t> depth(count, 0);
  for (std::uint32_t v = 0; v < count; ++v) {
    each_child(v, [&](std::uint32_t c, std::uint8_t code) {
      path[c] = static_cast<std::uint32_t>(paths.size());
      depth[c] = depth[v] + 1;
      for (std::uint32_t k = 0; k < depth[v]; ++k) {
        const std::uint8_t above = paths[path[v] + k];
        paths.push_back(above);
      }
      paths.push_back(code);
    });
    // A stored tree's ranges and entries are checked as a search reads them:
    // what a search passes over is dropped here.
    const std::uint32_t end = entry_begin_[v + 1] <= entries_.size() ? entry_begin_[v + 1] : 0;
    for (std::uint32_t e = entry_begin_[v]; e < end; ++e) {
      if (!sound_entry(entries_[e])) continue;
      add_pending(entries_[e], std::span<const std::uint8_t>(paths).subspan(path[v], depth[v]));
    }
  }
  word_limit_ = ~std::uint64_t{0};
  code_ = {};
  child_begin_ = {};
  entry_begin_ = {};
  min_word_ = {};
  best_at_ = {};
  child_codes_ = {};
  level_begin_ = {};
  entries_ = {};
  compacted_ = false;
}

// Level by level, like a radix sort: the spellings under a node are split by
// their next character into the node's children, in character order, and
// those that end there become its entries. Every level's nodes are numbered
// in their parents' order, so a node's children are one consecutive range.
class Matcher::Layout {
 public:
  Layout(std::vector<Pending>& order, const std::vector<std::uint8_t>& tail)
      : order_(order), tail_(tail) {}

  // Numbers the nodes level by level: each node's character, the ranges of
  // its children and entries, and where each level begins.
  void split_levels() {
    const auto count = static_cast<std::uint32_t>(order_.size());
    std::vector<Range> level{Range{0, count}};
    // Room for the most nodes the spellings can make, so nothing is copied
    // while growing; what is left over is given back when installed.
    std::size_t most = 1;
    for (const Pending& p : order_) most += p.length;
    code_.reserve(most);
    code_.push_back(0);
    child_begin_.reserve(most + 1);
    entry_begin_.reserve(most + 1);
    entries_.reserve(count);
    level.reserve(count);
    next_.reserve(count);
    level_begin_.assign(1, 0);
    std::uint32_t level_first = 0;
    for (depth_ = 0; !level.empty(); ++depth_) {
      next_.clear();
      for (const Range r : level) {
        entry_begin_.push_back(static_cast<std::uint32_t>(entries_.size()));
        child_begin_.push_back(level_first +
                               static_cast<std::uint32_t>(level.size() + next_.size()));
        const std::uint32_t size = r.end - r.begin;
        if (size == 1) {
          split_one(r);
        } else if (size <= kFew) {
          split_few(r);
        } else {
          split_many(r);
        }
      }
      level_first += static_cast<std::uint32_t>(level.size());
      level_begin_.push_back(level_first);
      level.swap(next_);
    }
    const auto nodes = static_cast<std::uint32_t>(code_.size());
    child_begin_.push_back(nodes);
    entry_begin_.push_back(static_cast<std::uint32_t>(entries_.size()));
    // Two ends, so that the level after the deepest one is an empty range.
    level_begin_.push_back(nodes);
  }

  // Each node's children's characters and the least word index below it.
  void summarize_nodes() {
    const auto nodes = static_cast<std::uint32_t>(code_.size());
    child_codes_.assign(nodes, 0);
    min_word_.assign(nodes, kMinWordCap);
    // Children come after their parents.
    for (std::uint32_t v = nodes; v-- > 0;) {
      std::uint32_t least = kMinWordCap;
      for (std::uint32_t e = entry_begin_[v]; e < entry_begin_[v + 1]; ++e) {
        least = std::min(least, entries_[e].word);
      }
      std::uint32_t codes = 0;
      for (std::uint32_t c = child_begin_[v]; c < child_begin_[v + 1]; ++c) {
        least = std::min(least, min_word_[c]);
        codes |= std::uint32_t{1} << code_[c];
      }
      min_word_[v] = least;
      child_codes_[v] = codes;
    }
  }

  // Gives the arrays, without their spare room, to `m`.
  void install(Matcher& m) {
    entries_.shrink_to_fit();
    code_.shrink_to_fit();
    child_begin_.shrink_to_fit();
    entry_begin_.shrink_to_fit();
    m.code_ = Flat(std::move(code_));
    m.child_begin_ = Flat(std::move(child_begin_));
    m.entry_begin_ = Flat(std::move(entry_begin_));
    m.entries_ = Flat(std::move(entries_));
    m.level_begin_ = Flat(std::move(level_begin_));
    m.child_codes_ = Flat(std::move(child_codes_));
    m.min_word_ = Flat(std::move(min_word_));
  }

 private:
  struct Range {
    std::uint32_t begin, end;  // into `order_`
  };
  // Up to this many spellings under a node are sorted in place.
  static constexpr std::uint32_t kFew = 16;

  // Key 0: the spelling ends at this depth; key 1 + c: its next character is c.
  std::uint32_t key(const Pending& p) const {
    if (p.length == depth_) return 0;
    return 1 + (depth_ < Pending::kHead ? p.head[depth_] : tail_[p.tail + depth_ - Pending::kHead]);
  }

  // A child on the next level for the spellings of `r`, whose next character is `c`.
  void add_child(Range r, std::uint32_t c) {
    next_.push_back(r);
    code_.push_back(static_cast<std::uint8_t>(c));
  }

  // One spelling (most nodes deep down): it ends here or goes on.
  void split_one(Range r) {
    const std::uint32_t k = key(order_[r.begin]);
    if (k == 0) {
      entries_.push_back(order_[r.begin].entry());
    } else {
      add_child(r, k - 1);
    }
  }

  // Few spellings (most nodes): sorted by key in place, then the runs read off.
  void split_few(Range r) {
    const std::uint32_t size = r.end - r.begin;
    std::uint32_t keys[kFew];
    for (std::uint32_t i = 0; i < size; ++i) {
      const Pending s = order_[r.begin + i];
      const std::uint32_t k = key(s);
      std::uint32_t j = i;
      for (; j > 0 && keys[j - 1] > k; --j) {
        keys[j] = keys[j - 1];
        order_[r.begin + j] = order_[r.begin + j - 1];
      }
      keys[j] = k;
      order_[r.begin + j] = s;
    }
    for (std::uint32_t i = 0; i < size;) {
      std::uint32_t j = i + 1;
      while (j < size && keys[j] == keys[i]) ++j;
      if (keys[i] == 0) {
        for (std::uint32_t e = i; e < j; ++e) entries_.push_back(order_[r.begin + e].entry());
      } else {
        add_child(Range{r.begin + i, r.begin + j}, keys[i] - 1);
      }
      i = j;
    }
  }

  // Many spellings: counted by key, then each swapped straight into its
  // bucket in place.
  void split_many(Range r) {
    std::uint32_t counts[kCodes + 2] = {};
    for (std::uint32_t i = r.begin; i < r.end; ++i) ++counts[key(order_[i]) + 1];
    for (std::size_t k = 1; k < kCodes + 2; ++k) counts[k] += counts[k - 1];
    std::uint32_t at[kCodes + 1];
    for (std::size_t k = 0; k <= kCodes; ++k) at[k] = r.begin + counts[k];
    for (std::size_t k = 0; k <= kCodes; ++k) {
      const std::uint32_t bucket_end = r.begin + counts[k + 1];
      for (; at[k] < bucket_end; ++at[k]) {
        for (std::uint32_t kx = key(order_[at[k]]); kx != k; kx = key(order_[at[k]])) {
          std::swap(order_[at[k]], order_[at[kx]++]);
        }
      }
    }
    for (std::uint32_t i = r.begin; i < r.begin + counts[1]; ++i) {
      entries_.push_back(order_[i].entry());
    }
    for (std::size_t k = 1; k <= kCodes; ++k) {
      if (counts[k + 1] == counts[k]) continue;
      add_child(Range{r.begin + counts[k], r.begin + counts[k + 1]},
                static_cast<std::uint32_t>(k - 1));
    }
  }

  std::vector<Pending>& order_;
  const std::vector<std::uint8_t>& tail_;
  std::uint32_t depth_ = 0;
  std::vector<Range> next_;  // the next level's nodes, as they are made
  std::vector<std::uint8_t> code_;
  std::vector<std::uint32_t> child_begin_, entry_begin_, level_begin_, child_codes_, min_word_;
  std::vector<MatcherEntry> entries_;
};

void Matcher::compact() {
  if (compacted_) return;
  Layout tree(pending_, pending_tail_);
  tree.split_levels();
  tree.summarize_nodes();
  release(pending_);
  release(pending_tail_);
  release(folded_);
  letters_pool_.edit([](std::vector<char>& pool) { pool.shrink_to_fit(); });
  word_terms_.edit([](std::vector<float>& terms) { terms.shrink_to_fit(); });
  tree.install(*this);
  margin_ = margin_for(max_len_, params_.completion_cost);
  summarize_best();
  compacted_ = true;
}

// In double, each node's bound from its children's (children come after
// their parents), then in whole steps below the first word's term, the
// largest of all, rounded up: the steps are counted in floats when read.
void Matcher::summarize_best() {
  const std::size_t nodes = code_.size();
  const double step = 4.0 * static_cast<double>(params_.completion_cost);
  const double top = sorla::word_term(0, params_);
  std::vector<double> best(nodes, -std::numeric_limits<double>::infinity());
  std::vector<std::uint8_t> steps(nodes);
  for (std::size_t v = nodes; v-- > 0;) {
    double here = -std::numeric_limits<double>::infinity();
    for (std::uint32_t c = child_begin_[v]; c < child_begin_[v + 1]; ++c) {
      here = std::max(here, best[c]);
    }
    here -= step;
    for (std::uint32_t e = entry_begin_[v]; e < entry_begin_[v + 1]; ++e) {
      here = std::max(here, static_cast<double>(word_term(entries_[e].word)));
    }
    best[v] = here;
    const double below = std::floor((top - here) / kBestStep - 1e-3);
    steps[v] = static_cast<std::uint8_t>(std::clamp(below, 0.0, 255.0));
  }
  best_at_ = Flat(std::move(steps));
  best_top_ = static_cast<float>(top);
}

Matcher::Stored Matcher::stored() const {
  return Stored{code_.span(),
                child_begin_.span(),
                entry_begin_.span(),
                child_codes_.span(),
                min_word_.span(),
                level_begin_.span(),
                entries_.span(),
                letters_pool_.span(),
                word_terms_.span(),
                best_at_.span(),
                max_len_};
}

Matcher Matcher::view_of(const Stored& s, const RankingParams& params, std::uint64_t word_count) {
  Matcher m(params);
  m.word_limit_ = word_count;
  m.code_ = Flat<std::uint8_t>::view_of(s.code);
  m.child_begin_ = Flat<std::uint32_t>::view_of(s.child_begin);
  m.entry_begin_ = Flat<std::uint32_t>::view_of(s.entry_begin);
  m.child_codes_ = Flat<std::uint32_t>::view_of(s.child_codes);
  m.min_word_ = Flat<std::uint32_t>::view_of(s.min_word);
  m.level_begin_ = Flat<std::uint32_t>::view_of(s.level_begin);
  m.entries_ = Flat<MatcherEntry>::view_of(s.entries);
  m.letters_pool_ = Flat<char>::view_of(s.letters_pool);
  m.word_terms_ = Flat<float>::view_of(s.word_terms);
  m.best_at_ = Flat<std::uint8_t>::view_of(s.best_at);
  m.best_top_ = sorla::word_term(0, params);
  m.max_len_ = s.max_len;
  m.margin_ = margin_for(s.max_len, params.completion_cost);
  m.compacted_ = true;
  return m;
}

}  // namespace sorla
