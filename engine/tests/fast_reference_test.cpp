// The engine's fast paths against the straightforward reference, on typing
// generated over the seed list and over synthetic 10k and 100k lexicons:
// same suggestions, same order, same float bits, keystroke after keystroke;
// and an engine opened on its prebuilt index the same as the built one.
// With the built-in ranking numbers and with tuned ones.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <memory>
#include <span>
#include <string>
#include <variant>

#include "lexgen.h"
#include "reference/reference.h"
#include "scoring.h"
#include "sorla/engine.h"
#include "sorla/float_order.h"
#include "sorla/format.h"
#include "sorla/normalize.h"
#include "sorla/rank.h"
#include "sorla/ranking_params.h"

namespace sorla {

// data/lexicon/ranking.txt, generated at build time.
std::span<const std::uint8_t> shipped_ranking_text();

namespace {

// The Windows builds run these under Wine, where the big lexicons are
// compared on fewer inputs; SORLA_LIGHT_TESTS=1 asks the same natively.
bool light() {
#ifdef _WIN32
  return true;
#else
  const char* v = std::getenv("SORLA_LIGHT_TESTS");
  return v != nullptr && std::string(v) != "0";
#endif
}

std::string show(const std::vector<Suggestion>& list) {
  std::string out;
  char buf[16];
  for (const Suggestion& s : list) {
    std::snprintf(buf, sizeof buf, "%08x", std::bit_cast<std::uint32_t>(s.score));
    out += s.text + "@" + buf + " ";
  }
  return out;
}

std::string show(const std::vector<Match>& list) {
  std::string out;
  for (const Match& m : list) {
    out += std::to_string(m.word) + (m.exact ? "!" : "") + "@" +
           std::to_string(std::bit_cast<std::uint32_t>(m.cost)) + " ";
  }
  return out;
}

std::string show(const std::vector<SpanWord>& list) {
  std::string out;
  for (const SpanWord& w : list) {
    out +=
        std::to_string(w.word) + "@" + std::to_string(std::bit_cast<std::uint32_t>(w.score)) + " ";
  }
  return out;
}

// The built engine, the same engine opened on its prebuilt index, and the
// reference.
struct Pair {
  Engine fast;
  Engine mapped;
  reference::PlainEngine slow;
};

Pair build(const std::vector<std::uint8_t>& bytes, const RankingParams& params = {}) {
  Engine fast = std::get<Engine>(Engine::from_bytes(bytes, params));
  const auto index = std::make_shared<std::vector<std::uint8_t>>(fast.index_bytes(bytes));
  Engine mapped = std::get<Engine>(Engine::open_index(*index, bytes, index, params));
  Pair p{std::move(fast), std::move(mapped),
         std::get<reference::PlainEngine>(reference::PlainEngine::from_bytes(
             bytes, reference::PlainEngine::Kind::Trie, params))};
  p.slow.remember_finds();
  return p;
}

std::vector<std::uint8_t> seed_bytes() {
  const auto s = seed_words();
  return {s.begin(), s.end()};
}

// Types every case key by key into both engines; now and then the first
// suggestion is learned, so the learned boosts are compared too.
void compare_typing(Pair& p, const std::vector<lexgen::TypingCase>& cases, std::uint64_t seed) {
  lexgen::Rng rng(seed);
  std::size_t failures = 0;
  for (const lexgen::TypingCase& c : cases) {
    for (const std::string& typed : c.keystrokes) {
      const auto fast = p.fast.suggest(typed, c.previous);
      const auto mapped = p.mapped.suggest(typed, c.previous);
      const auto slow = p.slow.suggest(typed, c.previous);
      if (show(fast) != show(slow) || show(mapped) != show(fast)) {
        ADD_FAILURE() << "typed \"" << typed << "\"\n fast " << show(fast) << "\n mapped "
                      << show(mapped) << "\n slow " << show(slow);
        if (++failures > 5) return;
      }
    }
    const std::string& last = c.keystrokes.back();
    if (rng.percent(20)) {
      const auto got = p.fast.suggest(last, c.previous);
      if (!got.empty()) {
        p.fast.learn(last, got.back().text, c.previous);
        p.mapped.learn(last, got.back().text, c.previous);
        p.slow.learn(last, got.back().text, c.previous);
      }
    }
  }
}

// What the ranking keeps of a span, the reference way: every match within
// the threshold, filtered by the span's cost limit, best scores first.
std::string reference_span(const reference::PlainEngine& e, const std::string& span, float max_cost,
                           bool completion) {
  std::string out;
  for (const SpanWord& w :
       reference::score_span(e.find(span, match_threshold(), completion), max_cost, e.params())) {
    out +=
        std::to_string(w.word) + "@" + std::to_string(std::bit_cast<std::uint32_t>(w.score)) + " ";
  }
  return out;
}

// Spans of the generated typing against the public matcher and the
// ranking's bounded search, both ways, with every cost limit a span can have.
void compare_spans(const Pair& p, const std::vector<lexgen::TypingCase>& cases,
                   std::size_t stride) {
  static constexpr float kLimits[] = {0.65f, 1.0f, 1.35f, 1.7f, 2.05f, 2.2f};
  std::size_t failures = 0;
  std::size_t round = 0;
  for (const lexgen::TypingCase& c : cases) {
    std::string text = letters(c.keystrokes.back());
    for (std::size_t at = 0; at < text.size(); at += stride, ++round) {
      const std::string span = text.substr(at, 1 + round % 9);
      const bool completion = round % 2 == 1;
      const float max_cost = kLimits[round % 6];
      const auto fast = p.fast.matcher().find(span, match_threshold(), completion);
      const auto slow = p.slow.find(span, match_threshold(), completion);
      const auto kept = [&](const Engine& e) {
        std::string out;
        for (const SpanWord& w : e.matcher().best_words(span, max_cost, completion, 8, nullptr)) {
          out += std::to_string(w.word) + "@" +
                 std::to_string(std::bit_cast<std::uint32_t>(w.score)) + " ";
        }
        return out;
      };
      const std::string fast_kept = kept(p.fast);
      if (show(fast) != show(slow) ||
          show(p.mapped.matcher().find(span, match_threshold(), completion)) != show(fast) ||
          fast_kept != reference_span(p.slow, span, max_cost, completion) ||
          kept(p.mapped) != fast_kept) {
        ADD_FAILURE() << "span \"" << span << "\" completion " << completion << " limit "
                      << max_cost;
        if (++failures > 5) return;
      }
    }
  }
}

// Ranking numbers a tuning may choose: cutting inside a typed piece made
// dearer, and every number moved, the completion cost above the one the
// matcher's margins were first made for.
RankingParams cut_cost(float start_penalty) {
  RankingParams p;
  p.start_penalty = start_penalty;
  return p;
}
const RankingParams kEveryNumberMoved = {.word_term_weight = -0.9f,
                                         .exact_bonus = 1.1f,
                                         .completion_cost = 0.45f,
                                         .pair_bonus = 3.5f,
                                         .start_penalty = 3.0f,
                                         .gap_cost = 0.5f,
                                         .literal_base = 7.3f};

// The numbers `make lexicon` chose for the shipped word data
// (data/lexicon/ranking.txt, compiled in).
RankingParams shipped() {
  const std::span<const std::uint8_t> text = shipped_ranking_text();
  auto parsed = parse_ranking_params(
      std::string_view(reinterpret_cast<const char*>(text.data()), text.size()));
  if (const std::string* error = std::get_if<std::string>(&parsed)) {
    ADD_FAILURE() << "ranking.txt: " << *error;
    return RankingParams{};
  }
  return std::get<RankingParams>(parsed);
}

TEST(FastVersusReference, SeedList) {
  const WordList seed = lexgen::seed_lexicon();
  auto cases = lexgen::generate_typing(seed, 300, 1);
  const auto worst = lexgen::worst_cases(seed, 2);
  cases.insert(cases.end(), worst.begin(), worst.end());
  Pair p = build(seed_bytes());
  compare_spans(p, cases, 2);
  compare_typing(p, cases, 3);
}

// Each of these changes the suggestions for a fifth to two thirds of the
// seed list's typings.
TEST(FastVersusReference, SeedListTuned) {
  const WordList seed = lexgen::seed_lexicon();
  auto cases = lexgen::generate_typing(seed, 120, 4);
  const auto worst = lexgen::worst_cases(seed, 5);
  cases.insert(cases.end(), worst.begin(), worst.end());
  for (const RankingParams& params :
       {cut_cost(3.0f), cut_cost(4.5f), kEveryNumberMoved, shipped()}) {
    SCOPED_TRACE("start penalty " + std::to_string(params.start_penalty) + ", completion cost " +
                 std::to_string(params.completion_cost));
    Pair p = build(seed_bytes(), params);
    compare_spans(p, cases, 2);
    compare_typing(p, cases, 6);
  }
}

TEST(FastVersusReference, Synthetic10k) {
  const auto bytes = lexgen::lexicon_file(10000, 10);
  const WordList lex = std::get<WordList>(read_data_file(bytes));
  auto cases = lexgen::generate_typing(lex, light() ? 1 : 2, 11);
  for (const RankingParams& params : {RankingParams{}, kEveryNumberMoved}) {
    SCOPED_TRACE("completion cost " + std::to_string(params.completion_cost));
    Pair p = build(bytes, params);
    compare_spans(p, cases, 3);
    compare_typing(p, cases, 13);
  }
}

TEST(FastVersusReference, Synthetic100k) {
  const auto bytes = lexgen::lexicon_file(100000, 100);
  Pair p = build(bytes);
  const WordList lex = std::get<WordList>(read_data_file(bytes));
  auto cases = lexgen::generate_typing(lex, 2, 101);
  compare_spans(p, cases, light() ? 8 : 3);
  // Typing at this size is slow for the reference (its completions walk
  // most of the tree): the first keys of one case, natively only.
  if (!light()) {
    lexgen::TypingCase first = cases[0];
    first.keystrokes.resize(std::min<std::size_t>(first.keystrokes.size(), 8));
    compare_typing(p, {first}, 103);
  }
}

// The typed letters must outlive the search that compares against them: a
// span long enough to live on the heap is still recognised as exact.
TEST(FastVersusReference, LongExactSpellingStaysExact) {
  Matcher m;
  const std::string spelling = "khnhomchongtovsalarian";
  m.insert(5, spelling);
  const auto got = m.find(spelling, match_threshold(), false);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_TRUE(got[0].exact);
  const auto kept = m.best_words(spelling, 2.2f, false, 8, nullptr);
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(kept[0].score, (-4.0f) * (-0.6f) + (-0.6f) * ln(7.0f));
}

// Completion costs of very long spellings are sums of many multiples of the
// completion cost, where rounding is largest: the column search keeps enough
// beyond the threshold to land on the same nodes and the same bits as a
// full walk, whatever that cost.
class LongSpellings : public testing::TestWithParam<float> {};

TEST_P(LongSpellings, CompleteLikeTheWalk) {
  lexgen::Rng rng(5);
  static constexpr std::string_view kLetters = "aeiouhkstnbgy";
  std::vector<std::string> spellings;
  RankingParams params;
  params.completion_cost = GetParam();
  Matcher fast(params);
  reference::TrieMatcher slow(params.completion_cost);
  for (std::uint64_t word = 0; word < 300; ++word) {
    std::string s;
    const std::size_t length = 1 + rng.below(word % 10 == 0 ? 240 : 30);
    for (std::size_t i = 0; i < length; ++i) s += kLetters[rng.below(kLetters.size())];
    // Shared beginnings, as real spellings have.
    if (!spellings.empty() && rng.percent(50)) {
      const std::string& other = spellings[rng.below(spellings.size())];
      s = other.substr(0, rng.below(other.size() + 1)) + s;
    }
    fast.insert(word, s);
    slow.insert(word, s);
    spellings.push_back(s);
  }
  fast.compact();
  std::size_t failures = 0;
  for (std::size_t round = 0; round < 400 && failures < 5; ++round) {
    const std::string& from = spellings[rng.below(spellings.size())];
    std::string typed = from.substr(0, 1 + rng.below(std::min<std::size_t>(from.size(), 30)));
    if (rng.percent(40)) typed[rng.below(typed.size())] = kLetters[rng.below(kLetters.size())];
    for (const float threshold : {match_threshold(), 2.2f, 0.65f}) {
      for (const bool completion : {false, true}) {
        const auto got = show(fast.find(typed, threshold, completion));
        const auto want = show(slow.find(typed, threshold, completion));
        // What a span keeps, where the search passes over completions by
        // bounds on their scores.
        const auto kept = show(fast.best_words(typed, threshold, completion, kSpanWords, nullptr));
        const auto scored = show(reference::score_span(
            slow.find(typed, match_threshold(), completion), threshold, params));
        if (got != want || kept != scored) {
          ADD_FAILURE() << typed << " threshold " << threshold << " completion " << completion;
          ++failures;
        }
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(CompletionCosts, LongSpellings,
                         testing::Values(0.3f, 0.07f, 0.45f, 1.3f, 1000.0f));

// The typed text is 0.4 + 0.45 + 1.2 from this spelling (o for u, h and b
// left out), which rounds one unit in the last place above 2.05. With
// completion at 1.3 a letter, the walk takes 1.3 * 21 away from that cost
// and adds it back, landing three units below 2.05, and offers the word: the
// columns must hold a node that lies just beyond the limit.
TEST(FastVersusReference, ACostRoundedBackUnderTheLimitCounts) {
  RankingParams params;
  params.completion_cost = 1.3f;
  Matcher fast(params);
  reference::TrieMatcher slow(params.completion_cost);
  fast.insert(0, "otakdbpkiysskboiitohb");
  slow.insert(0, "otakdbpkiysskboiitohb");
  fast.compact();
  const auto want = slow.find("otakdbpkiysskbuiito", 2.05f, true);
  ASSERT_EQ(want.size(), 1u);
  EXPECT_LT(want[0].cost, 2.05f);
  EXPECT_EQ(show(fast.find("otakdbpkiysskbuiito", 2.05f, true)), show(want));
}

// A copy made mid-typing answers like the original, and learning in one
// leaves the other's answers alone.
TEST(FastVersusReference, CopiesAndLearningKeepAnswers) {
  const Engine base = std::get<Engine>(Engine::from_bytes(seed_words()));
  Engine e = base;
  const auto first = e.suggest("khnhomch", std::nullopt);
  e.suggest("khnhomcho", std::nullopt);
  Engine copy = e;
  EXPECT_EQ(show(copy.suggest("khnhomch", std::nullopt)), show(first));
  copy.learn("khnhomch", "Z", std::nullopt);
  EXPECT_EQ(copy.suggest("khnhomch", std::nullopt)[0].text, "Z");
  EXPECT_EQ(show(e.suggest("khnhomch", std::nullopt)), show(first));
  Engine moved = std::move(copy);
  EXPECT_EQ(moved.suggest("khnhomch", std::nullopt)[0].text, "Z");
  EXPECT_EQ(show(base.suggest("khnhomch", std::nullopt)), show(first));
}

}  // namespace
}  // namespace sorla
