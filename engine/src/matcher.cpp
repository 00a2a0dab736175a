#include "sorla/matcher.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <unordered_map>

#include "sorla/float_order.h"
#include "sorla/normalize.h"
#include "sorla/rank.h"
#include "sorla/text.h"

namespace sorla {

float match_threshold() { return std::bit_cast<float>(std::uint32_t{0x40333334}); }

namespace {

constexpr float kCompletion = 0.3f;
constexpr float kExactBonus = 0.6f;
// Far above any rounding of costs below 30, far below any cost step.
constexpr float kMargin = 1e-4f;
// Words below this index get their ranking term tabled at insert.
constexpr std::uint64_t kTermTable = std::uint64_t{1} << 22;
constexpr std::uint32_t kNone = MatcherNode::kNone;

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

char32_t char_of_code(std::size_t code) {
  return code < 26 ? static_cast<char32_t>('a' + code) : code == 26 ? U'\u00F1' : U'\u014B';
}

// fold() of a text as character codes; fold produces nothing else.
std::vector<std::uint8_t> folded_codes(std::string_view text) {
  const std::string f = fold(text);
  std::vector<std::uint8_t> out;
  out.reserve(f.size());
  for (std::size_t pos = 0; pos < f.size();) {
    const char32_t c = next_char(f, pos);
    out.push_back(static_cast<std::uint8_t>(c < 0x80 ? c - 'a' : c == U'\u00F1' ? 26 : 27));
  }
  return out;
}

// The cost functions tabled by character code.
struct CostTables {
  float skip[Matcher::kCodes];
  float exchange[Matcher::kCodes][Matcher::kCodes];  // [typed][stored]

  CostTables() {
    for (std::size_t a = 0; a < Matcher::kCodes; ++a) {
      skip[a] = skip_cost(char_of_code(a));
      for (std::size_t b = 0; b < Matcher::kCodes; ++b) {
        exchange[a][b] = exchange_cost(char_of_code(a), char_of_code(b));
      }
    }
  }
};

const CostTables& tables() {
  static const CostTables t;
  return t;
}

// Every word's best reading: exact beats close, then the lower cost, and the
// first one kept stays on a tie.
class AllWords {
 public:
  bool hopeless(const MatcherNode&, float, bool) const { return false; }

  void offer(std::uint64_t word, float cost, bool exact) {
    auto [it, inserted] = best_.try_emplace(word, Best{cost, exact});
    if (inserted) return;
    Best& b = it->second;
    if ((exact && !b.exact) || (exact == b.exact && cost < b.cost)) b = Best{cost, exact};
  }

  std::vector<Match> sorted() const {
    std::vector<Match> out;
    out.reserve(best_.size());
    for (const auto& [word, b] : best_) out.push_back(Match{word, b.cost, b.exact});
    std::sort(out.begin(), out.end(), [](const Match& a, const Match& b) {
      if (total_less(a.cost, b.cost)) return true;
      if (total_less(b.cost, a.cost)) return false;
      return a.word < b.word;
    });
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
// subtrees whose every reading would score below the last one kept.
class BestWords {
 public:
  BestWords(const Matcher& m, float max_cost, float threshold, std::size_t limit)
      : m_(m), max_cost_(max_cost), threshold_(threshold), limit_(limit) {}

  // `lower` bounds every node cost below the node (a little under it, so
  // rounding never makes it too high); `may_be_exact` says whether the
  // typed text's own path runs through the node.
  bool hopeless(const MatcherNode& node, float lower, bool may_be_exact) const {
    if (limit_ == 0) return true;
    if (items_.size() < limit_) return false;
    const float adjusted = may_be_exact ? lower - kExactBonus : lower;
    const float bound = (-4.0f) * adjusted + m_.word_term(node.min_word());
    return total_less(bound, items_.back().score);
  }

  void offer(std::uint64_t word, float cost, bool exact) {
    if (!(cost <= threshold_)) return;
    const float adjusted = exact ? cost - kExactBonus : cost;
    if (!(max_cost_ >= adjusted)) return;
    const Item item{word, cost, exact, (-4.0f) * adjusted + m_.word_term(word)};
    auto same =
        std::find_if(items_.begin(), items_.end(), [&](const Item& it) { return it.word == word; });
    if (same != items_.end()) {
      if (!((exact && !same->exact) || (exact == same->exact && cost < same->cost))) return;
      items_.erase(same);
    } else if (items_.size() == limit_) {
      if (!before(item, items_.back())) return;
      items_.pop_back();
    }
    items_.insert(std::upper_bound(items_.begin(), items_.end(), item, before), item);
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
};

}  // namespace

// One depth-first search over the tree; rows of the cost table are filled
// level by level and shared by every spelling below a node.
class MatcherSearch {
 public:
  MatcherSearch(const Matcher& m, const std::vector<std::uint8_t>& typed,
                std::string_view typed_letters, float threshold, float stop, bool completion,
                SearchStats* stats)
      : m_(m),
        t_(typed),
        letters_(typed_letters),
        n_(typed.size()),
        cols_(typed.size() + 1),
        table_((static_cast<std::size_t>(m.max_len_) + 1) * cols_),
        exchange_(Matcher::kCodes * cols_),
        skip_typed_(cols_),
        threshold_(threshold),
        stop_(stop),
        completion_(completion),
        stats_(stats) {
    const CostTables& ct = tables();
    for (std::size_t k = 1; k < cols_; ++k) {
      skip_typed_[k] = ct.skip[t_[k - 1]];
      for (std::size_t c = 0; c < Matcher::kCodes; ++c) {
        exchange_[c * cols_ + k] = ct.exchange[t_[k - 1]][c];
      }
    }
    table_[0] = 0.0f;
    for (std::size_t k = 1; k < cols_; ++k) table_[k] = table_[k - 1] + skip_typed_[k];
    // For each typed letter: the stored characters it can be exchanged with,
    // grouped by cost, cheapest first.
    consume_.resize(n_);
    for (std::size_t m = 0; m < n_; ++m) {
      Consume& c = consume_[m];
      c.skip = ct.skip[t_[m]];
      for (std::size_t code = 0; code < Matcher::kCodes; ++code) {
        const float cost = ct.exchange[t_[m]][code];
        std::size_t at = 0;
        while (at < c.levels && c.cost[at] != cost) ++at;
        if (at == c.levels) {
          c.cost[at] = cost;
          c.mask[at] = 0;
          ++c.levels;
        }
        c.mask[at] |= std::uint32_t{1} << code;
      }
      // Cheapest first (a handful of levels: insertion sort).
      for (std::size_t a = 1; a < c.levels; ++a) {
        for (std::size_t b = a; b > 0 && c.cost[b] < c.cost[b - 1]; --b) {
          std::swap(c.cost[b], c.cost[b - 1]);
          std::swap(c.mask[b], c.mask[b - 1]);
        }
      }
    }
    suffix_.resize(cols_);
  }

  // A bound under the full cost of every node below one whose row is `row`
  // and whose subtree holds the characters `below`: each typed letter still
  // to come is either skipped or exchanged with one of those characters.
  float lower_bound(const float* row, std::uint32_t below) {
    suffix_[n_] = 0.0f;
    for (std::size_t m = n_; m-- > 0;) {
      const Consume& c = consume_[m];
      float cheapest = c.skip;
      for (std::size_t l = 0; l < c.levels; ++l) {
        if (c.mask[l] & below) {
          cheapest = std::min(cheapest, c.cost[l]);
          break;
        }
      }
      suffix_[m] = suffix_[m + 1] + cheapest;
    }
    float bound = row[0] + suffix_[0];
    for (std::size_t k = 1; k < cols_; ++k) bound = std::min(bound, row[k] + suffix_[k]);
    return bound;
  }

  template <typename Collector>
  void run(Collector& out) {
    visit(out, 0, 0, std::numeric_limits<float>::infinity());
    if (stats_) {
      ++stats_->matcher_calls;
      stats_->trie_nodes += visited_;
    }
  }

 private:
  template <typename Collector>
  void visit(Collector& out, std::uint32_t index, std::size_t d, float carry) {
    ++visited_;
    const MatcherNode& node = m_.nodes_[index];
    const float* row = &table_[d * cols_];
    const float full = row[n_];
    const float depth = static_cast<float>(d);
    if (completion_ && d >= n_) carry = std::min(carry, full - kCompletion * depth);
    const float tail = carry + kCompletion * depth;
    const float node_cost = std::min(full, tail);
    float row_min = row[0];
    for (std::size_t k = 1; k < cols_; ++k) row_min = std::min(row_min, row[k]);

    // Every deeper full cost is at least row_min, and at least `lower`,
    // and tail only grows; the margin covers float rounding (of the table
    // and the completion carry). The costlier bound is taken only when the
    // plain one does not settle the node.
    const bool may_be_exact = d <= n_ && row[d] == 0.0f;
    if (out.hopeless(node, std::min(row_min - kMargin, tail), may_be_exact)) return;
    if (row_min - kMargin > threshold_ && tail > threshold_) return;
    const float lower = lower_bound(row, node.below) - kMargin;
    if (out.hopeless(node, std::min(lower, tail), may_be_exact)) return;

    if (node_cost <= threshold_) {
      // Only the typed text's own path costs 0, and only there can the
      // letters match exactly.
      const bool on_path = full == 0.0f;
      for (std::uint32_t e = node.first_entry; e != kNone; e = m_.entries_[e].next) {
        const MatcherEntry& entry = m_.entries_[e];
        const bool exact = on_path && letters_ == &m_.letters_pool_[entry.letters];
        out.offer(entry.word, node_cost, exact);
      }
    }
    // Where the plain search stops (row_min past its limit), and where no
    // node below can come within this one's.
    if (tail > threshold_ && ((row_min > stop_ && tail > stop_) || lower > threshold_)) return;

    const CostTables& ct = tables();
    float* next = &table_[(d + 1) * cols_];
    for (std::uint32_t c = node.first_child; c != kNone; c = m_.nodes_[c].next_sibling) {
      const std::uint8_t code = m_.nodes_[c].code();
      const float skip = ct.skip[code];
      const float* ex = &exchange_[code * cols_];
      next[0] = row[0] + skip;
      for (std::size_t k = 1; k < cols_; ++k) {
        next[k] =
            std::min(std::min(row[k - 1] + ex[k], row[k] + skip), next[k - 1] + skip_typed_[k]);
      }
      visit(out, c, d + 1, carry);
    }
  }

  const Matcher& m_;
  const std::vector<std::uint8_t>& t_;
  std::string_view letters_;
  std::size_t n_;
  std::size_t cols_;
  std::vector<float> table_;
  std::vector<float> exchange_;  // [code][column]
  std::vector<float> skip_typed_;
  float threshold_;
  float stop_;  // the limit at which the plain search prunes
  bool completion_;
  SearchStats* stats_;
  struct Consume {
    float skip;
    std::size_t levels = 0;
    float cost[4];
    std::uint32_t mask[4];
  };
  std::vector<Consume> consume_;  // per typed letter
  std::vector<float> suffix_;
  std::uint64_t visited_ = 0;
};

float skip_cost(char32_t c) { return is_vowel(c) || c == 'h' ? 0.45f : 1.2f; }

float exchange_cost(char32_t t, char32_t c) {
  if (t == c) return 0.0f;
  if (similar(t, c)) return 0.4f;
  if (is_vowel(t) && is_vowel(c)) return 0.6f;
  return 1.5f;
}

Matcher::Matcher() : nodes_(1), last_child_(1, kNone) {}

float Matcher::word_term(std::uint64_t word) const {
  if (word < word_terms_.size()) return word_terms_[word];
  return (-0.6f) * ln(static_cast<float>(word + 2));
}

void Matcher::insert(std::uint64_t word, std::string_view spelling) {
  const std::vector<std::uint8_t> f = folded_codes(spelling);
  if (f.empty()) return;
  max_len_ = std::max<std::uint64_t>(max_len_, f.size());
  const auto low =
      static_cast<std::uint32_t>(std::min<std::uint64_t>(word, MatcherNode::kMinWordCap));
  auto lower_min_word = [&](std::uint32_t at) {
    MatcherNode& node = nodes_[at];
    if (low < node.min_word()) node.min_word_code = (low << 8) | node.code();
  };
  if (last_child_.size() != nodes_.size()) {
    // After compact(): find every node's last child again.
    last_child_.assign(nodes_.size(), kNone);
    for (std::uint32_t at = 0; at < nodes_.size(); ++at) {
      for (std::uint32_t c = nodes_[at].first_child; c != kNone; c = nodes_[c].next_sibling) {
        last_child_[at] = c;
      }
    }
  }
  // below[p]: the characters f[p..], which lie below the node at depth p.
  std::vector<std::uint32_t> below(f.size() + 1, 0);
  for (std::size_t p = f.size(); p-- > 0;) below[p] = below[p + 1] | (std::uint32_t{1} << f[p]);
  std::uint32_t at = 0;
  std::size_t depth = 0;
  lower_min_word(0);
  nodes_[0].below |= below[0];
  for (std::uint8_t code : f) {
    std::uint32_t next = nodes_[at].first_child;
    while (next != kNone && nodes_[next].code() != code) next = nodes_[next].next_sibling;
    if (next == kNone) {
      next = static_cast<std::uint32_t>(nodes_.size());
      MatcherNode child;
      child.min_word_code = (MatcherNode::kMinWordCap << 8) | code;
      nodes_.push_back(child);
      last_child_.push_back(kNone);
      if (last_child_[at] == kNone) {
        nodes_[at].first_child = next;
      } else {
        nodes_[last_child_[at]].next_sibling = next;
      }
      last_child_[at] = next;
    }
    at = next;
    ++depth;
    lower_min_word(at);
    nodes_[at].below |= below[depth];
  }
  // Entries of one node share one cost; their order never shows.
  entries_.push_back(
      MatcherEntry{word, nodes_[at].first_entry, static_cast<std::uint32_t>(letters_pool_.size())});
  nodes_[at].first_entry = static_cast<std::uint32_t>(entries_.size() - 1);
  letters_pool_ += letters(spelling);
  letters_pool_.push_back('\0');
  if (word < kTermTable) {
    while (word_terms_.size() <= word) {
      word_terms_.push_back((-0.6f) * ln(static_cast<float>(word_terms_.size() + 2)));
    }
  }
}

void Matcher::compact() {
  last_child_ = {};
  nodes_.shrink_to_fit();
  entries_.shrink_to_fit();
  letters_pool_.shrink_to_fit();
  word_terms_.shrink_to_fit();
}

std::vector<Match> Matcher::find(std::string_view typed, float threshold,
                                 bool allow_completion) const {
  const std::vector<std::uint8_t> t = folded_codes(typed);
  if (t.empty()) return {};
  const std::string typed_letters = letters(typed);
  AllWords out;
  MatcherSearch(*this, t, typed_letters, threshold, threshold, allow_completion, nullptr).run(out);
  return out.sorted();
}

std::vector<SpanWord> Matcher::best_words(std::string_view typed_letters, float max_cost,
                                          bool allow_completion, std::size_t limit,
                                          SearchStats* stats) const {
  const std::vector<std::uint8_t> t = folded_codes(typed_letters);
  if (t.empty()) return {};
  const float threshold = std::min(max_cost, match_threshold());
  BestWords out(*this, max_cost, match_threshold(), limit);
  MatcherSearch(*this, t, typed_letters, threshold, match_threshold(), allow_completion, stats)
      .run(out);
  return out.result();
}

}  // namespace sorla
