#include <algorithm>
#include <limits>
#include <unordered_map>

#include "reference/reference.h"
#include "scoring.h"
#include "sorla/float_order.h"
#include "sorla/normalize.h"
#include "sorla/text.h"

namespace sorla::reference {
namespace {

// The cost tables are the product's own (sorla::skip_cost, exchange_cost):
// this engine checks the search, not the tables.
float skip(char32_t c) { return skip_cost(c); }

// The same function, remembered for ASCII pairs: the tests run this engine
// on large word lists.
float exchange(char32_t t, char32_t c) {
  struct Table {
    float cost[128][128];
    Table() {
      for (char32_t a = 0; a < 128; ++a) {
        for (char32_t b = 0; b < 128; ++b) cost[a][b] = exchange_cost(a, b);
      }
    }
  };
  static const Table table;
  if (t < 128 && c < 128) return table.cost[t][c];
  return exchange_cost(t, c);
}

std::u32string chars_of(std::string_view utf8) {
  std::u32string out;
  for (std::size_t pos = 0; pos < utf8.size();) out.push_back(next_char(utf8, pos));
  return out;
}

struct Best {
  float cost;
  bool exact;
};

// Each word keeps its best reading: exact beats close, then the lower cost.
class Results {
 public:
  void offer(std::uint64_t word, float cost, bool exact) {
    auto [it, inserted] = best_.try_emplace(word, Best{cost, exact});
    if (inserted) return;
    Best& b = it->second;
    if (better_reading(exact, cost, b.exact, b.cost)) b = Best{cost, exact};
  }

  std::vector<Match> sorted() const {
    std::vector<Match> out;
    for (const auto& [word, b] : best_) out.push_back(Match{word, b.cost, b.exact});
    std::sort(out.begin(), out.end(), match_before);
    return out;
  }

 private:
  std::unordered_map<std::uint64_t, Best> best_;
};

// Row d+1 of the cost table from row d, for stored character c.
void next_row(const float* row, float* next, const std::u32string& t, char32_t c) {
  next[0] = row[0] + skip(c);
  for (std::size_t k = 1; k <= t.size(); ++k) {
    next[k] = std::min(std::min(row[k - 1] + exchange(t[k - 1], c), row[k] + skip(c)),
                       next[k - 1] + skip(t[k - 1]));
  }
}

void first_row(float* row, const std::u32string& t) {
  row[0] = 0.0f;
  for (std::size_t k = 1; k <= t.size(); ++k) row[k] = row[k - 1] + skip(t[k - 1]);
}

class Search {
 public:
  Search(const std::vector<TrieNode>& nodes, const std::u32string& typed,
         const std::string& typed_letters, std::size_t levels, float threshold, bool completion,
         float completion_cost)
      : nodes_(nodes),
        t_(typed),
        letters_(typed_letters),
        cols_(typed.size() + 1),
        table_(levels * cols_, 0.0f),
        threshold_(threshold),
        completion_(completion),
        completion_cost_(completion_cost) {
    first_row(table_.data(), t_);
  }

  void visit(std::uint32_t index, std::size_t d, float carry) {
    const TrieNode& node = nodes_[index];
    const float* row = &table_[d * cols_];
    const std::size_t n = cols_ - 1;
    const float full = row[n];
    const float depth = static_cast<float>(d);
    if (completion_ && d >= n) carry = std::min(carry, full - completion_cost_ * depth);
    const float tail = carry + completion_cost_ * depth;
    const float node_cost = std::min(full, tail);
    if (node_cost <= threshold_) {
      for (const TrieEntry& e : node.entries) {
        results_.offer(e.word, node_cost, e.letters == letters_);
      }
    }
    const float row_min = *std::min_element(row, row + cols_);
    if (row_min > threshold_ && tail > threshold_) return;
    for (const auto& [c, child] : node.children) {
      next_row(row, &table_[(d + 1) * cols_], t_, c);
      visit(child, d + 1, carry);
    }
  }

  std::vector<Match> result() const { return results_.sorted(); }

 private:
  const std::vector<TrieNode>& nodes_;
  const std::u32string& t_;
  const std::string letters_;  // owned: the caller passes a temporary
  std::size_t cols_;
  std::vector<float> table_;
  float threshold_;
  bool completion_;
  float completion_cost_;
  Results results_;
};

}  // namespace

TrieMatcher::TrieMatcher(float completion_cost) : nodes_(1), completion_cost_(completion_cost) {}

void TrieMatcher::insert(std::uint64_t word, std::string_view spelling) {
  const std::u32string f = chars_of(fold(spelling));
  if (f.empty()) return;
  max_len_ = std::max<std::uint64_t>(max_len_, f.size());
  std::uint32_t at = 0;
  for (char32_t c : f) {
    std::uint32_t next = 0;
    for (const auto& [ch, child] : nodes_[at].children) {
      if (ch == c) {
        next = child;
        break;
      }
    }
    if (next == 0) {
      next = static_cast<std::uint32_t>(nodes_.size());
      nodes_[at].children.emplace_back(c, next);
      nodes_.emplace_back();
    }
    at = next;
  }
  nodes_[at].entries.push_back(TrieEntry{word, letters(spelling)});
}

std::vector<Match> TrieMatcher::find(std::string_view typed, float threshold,
                                     bool allow_completion) const {
  const std::u32string t = chars_of(fold(typed));
  if (t.empty()) return {};
  Search search(nodes_, t, letters(typed), static_cast<std::size_t>(max_len_) + 1, threshold,
                allow_completion, completion_cost_);
  search.visit(0, 0, std::numeric_limits<float>::infinity());
  return search.result();
}

void BruteMatcher::insert(std::uint64_t word, std::string_view spelling) {
  std::u32string f = chars_of(fold(spelling));
  if (f.empty()) return;
  spellings_.push_back(Spelling{word, std::move(f), letters(spelling)});
}

std::vector<Match> BruteMatcher::find(std::string_view typed, float threshold,
                                      bool allow_completion) const {
  const std::u32string t = chars_of(fold(typed));
  if (t.empty()) return {};
  const std::string typed_letters = letters(typed);
  const std::size_t n = t.size();
  const std::size_t cols = n + 1;
  std::vector<float> row(cols), next(cols);
  Results results;
  for (const Spelling& s : spellings_) {
    // The whole table along this spelling; the completion carry runs over
    // every level from the typed length on, exactly as along a tree path.
    first_row(row.data(), t);
    float carry = std::numeric_limits<float>::infinity();
    float tail = carry;
    for (std::size_t d = 0;; ++d) {
      const float depth = static_cast<float>(d);
      if (allow_completion && d >= n) carry = std::min(carry, row[n] - completion_cost_ * depth);
      tail = carry + completion_cost_ * depth;
      if (d == s.folded.size()) break;
      next_row(row.data(), next.data(), t, s.folded[d]);
      row.swap(next);
    }
    const float node_cost = std::min(row[n], tail);
    if (node_cost <= threshold) results.offer(s.word, node_cost, s.letters == typed_letters);
  }
  return results.sorted();
}

}  // namespace sorla::reference
