#include "sorla/matcher.h"

#include <algorithm>
#include <bit>
#include <limits>
#include <unordered_map>
#include <utility>

#include "sorla/float_order.h"
#include "sorla/normalize.h"
#include "sorla/text.h"

namespace sorla {

float match_threshold() { return std::bit_cast<float>(std::uint32_t{0x40333334}); }

namespace {

constexpr float kCompletion = 0.3f;

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

std::vector<char32_t> chars_of(std::string_view utf8) {
  std::vector<char32_t> out;
  out.reserve(utf8.size());
  for (std::size_t pos = 0; pos < utf8.size();) out.push_back(next_char(utf8, pos));
  return out;
}

struct Best {
  float cost;
  bool exact;
};

// One depth-first search over the tree; rows of the cost table are filled
// level by level and shared by every spelling below a node.
class Search {
 public:
  Search(const std::vector<MatcherNode>& nodes, const std::vector<char32_t>& typed,
         std::string typed_letters, std::size_t levels, float threshold, bool completion)
      : nodes_(nodes),
        t_(typed),
        letters_(std::move(typed_letters)),
        cols_(typed.size() + 1),
        table_(levels * cols_, 0.0f),
        threshold_(threshold),
        completion_(completion) {
    for (std::size_t k = 1; k < cols_; ++k) table_[k] = table_[k - 1] + skip_cost(t_[k - 1]);
  }

  void visit(std::uint32_t index, std::size_t d, float carry) {
    const MatcherNode& node = nodes_[index];
    const float* row = &table_[d * cols_];
    const std::size_t n = cols_ - 1;
    const float full = row[n];
    const float depth = static_cast<float>(d);
    if (completion_ && d >= n) carry = std::min(carry, full - kCompletion * depth);
    const float tail = carry + kCompletion * depth;
    const float node_cost = std::min(full, tail);
    if (node_cost <= threshold_) {
      for (const MatcherEntry& e : node.entries) offer(e.word, node_cost, e.letters == letters_);
    }
    const float row_min = *std::min_element(row, row + cols_);
    if (row_min > threshold_ && tail > threshold_) return;
    for (const auto& [c, child] : node.children) {
      float* next = &table_[(d + 1) * cols_];
      next[0] = row[0] + skip_cost(c);
      for (std::size_t k = 1; k < cols_; ++k) {
        next[k] = std::min(std::min(row[k - 1] + exchange_cost(t_[k - 1], c), row[k] + skip_cost(c)),
                           next[k - 1] + skip_cost(t_[k - 1]));
      }
      visit(child, d + 1, carry);
    }
  }

  std::vector<Match> result() const {
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
  // An exact reading beats a close one; otherwise the lower cost wins and
  // the first one kept stays on a tie.
  void offer(std::uint64_t word, float cost, bool exact) {
    auto [it, inserted] = best_.try_emplace(word, Best{cost, exact});
    if (inserted) return;
    Best& b = it->second;
    if ((exact && !b.exact) || (exact == b.exact && cost < b.cost)) b = Best{cost, exact};
  }

  const std::vector<MatcherNode>& nodes_;
  const std::vector<char32_t>& t_;
  const std::string letters_;
  std::size_t cols_;
  std::vector<float> table_;
  float threshold_;
  bool completion_;
  std::unordered_map<std::uint64_t, Best> best_;
};

}  // namespace

float skip_cost(char32_t c) { return is_vowel(c) || c == 'h' ? 0.45f : 1.2f; }

float exchange_cost(char32_t t, char32_t c) {
  if (t == c) return 0.0f;
  if (similar(t, c)) return 0.4f;
  if (is_vowel(t) && is_vowel(c)) return 0.6f;
  return 1.5f;
}

Matcher::Matcher() : nodes_(1) {}

void Matcher::insert(std::uint64_t word, std::string_view spelling) {
  const std::vector<char32_t> f = chars_of(fold(spelling));
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
  nodes_[at].entries.push_back(MatcherEntry{word, letters(spelling)});
}

std::vector<Match> Matcher::find(std::string_view typed, float threshold,
                                 bool allow_completion) const {
  const std::vector<char32_t> t = chars_of(fold(typed));
  if (t.empty()) return {};
  Search search(nodes_, t, letters(typed), static_cast<std::size_t>(max_len_) + 1, threshold,
                allow_completion);
  search.visit(0, 0, std::numeric_limits<float>::infinity());
  return search.result();
}

}  // namespace sorla
