#include "sorla/lexicon/tune.h"

#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "sorla/engine.h"

namespace sorla::lexicon {
namespace {

std::span<const std::uint8_t> bytes_of(const std::string& text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// "pisa" is the rare whole word ពិសា, or the two common words ពី + សារ: with
// the specified cut cost the split comes first.
std::string split_words() {
  std::string text = "ពី\tpi\nសារ\tsa\n";
  const char* fillers[] = {"ក", "ខ", "គ", "ឃ", "ង", "ច", "ឆ", "ជ", "ឈ", "ញ", "ដ", "ឋ"};
  const char* letters = "bcdfghjklmnq";
  for (int i = 0; i < 12; ++i) text += std::string(fillers[i]) + "\tz" + letters[i] + "\n";
  return text + "ពិសា\tpisa\n";
}

// Two values a number: the specified one and one beside it, so that each
// search builds a few dozen small engines.
TuningGrid small_grid() {
  TuningGrid grid;
  const RankingParams specified{};
  for (std::size_t k = 0; k < grid.size(); ++k) {
    const float value = specified.*kRankingNumbers[k].field;
    grid[k] = {value, value * 2};
  }
  grid[4] = {1.5f, 6.0f};  // start penalty
  return grid;
}

TuningResult tuned(const std::vector<DevTyping>& typings, const TuningGrid& grid) {
  auto result = tune_ranking(bytes_of(split_words()), typings, {}, grid);
  EXPECT_TRUE(std::holds_alternative<TuningResult>(result)) << std::get<std::string>(result);
  return std::get<TuningResult>(result);
}

// The search moves a number only for a better tuning half, and reads the
// held-out half not at all; twice on the same input gives the same numbers.
TEST(Tune, MovesOnlyForTheTuningHalf) {
  const std::string text = split_words();
  ASSERT_EQ(std::get<Engine>(Engine::from_bytes(text)).suggest("pisa", std::nullopt).at(0).text,
            "ពីសារ");
  const std::vector<DevTyping> split = {{"ពី", "pi", Half::Tuning}, {"សារ", "sa", Half::Tuning}};

  // Nothing to gain: every number stays as specified, ties and all.
  auto held_out = split;
  held_out.push_back({"ពិសា", "pisa", Half::HeldOut});
  const TuningResult still = tuned(held_out, small_grid());
  EXPECT_EQ(still.params, RankingParams{});
  EXPECT_EQ(still.chosen.words.first, 2u);
  EXPECT_EQ(still.chosen.words.total, 2u);

  auto tuning = split;
  tuning.push_back({"ពិសា", "pisa", Half::Tuning});
  const TuningResult moved = tuned(tuning, small_grid());
  EXPECT_EQ(moved.specified.words.first, 2u);
  EXPECT_EQ(moved.chosen.words.first, 3u);
  EXPECT_NE(moved.params, RankingParams{});
  EXPECT_EQ(tuned(tuning, small_grid()).params, moved.params);
  const Engine engine = std::get<Engine>(Engine::from_bytes(text, moved.params));
  EXPECT_EQ(engine.suggest("pisa", std::nullopt).at(0).text, "ពិសា");
}

TEST(Tune, SkipsNumbersTheEngineRefusesAndRefusesWhatItCannotMeasure) {
  // A word term that grows with the index, no completion cost: both refused.
  TuningGrid grid = small_grid();
  grid[0] = {0.5f, -0.6f};
  grid[2] = {0.0f, 0.3f};
  const std::vector<DevTyping> typings = {{"ពិសា", "pisa", Half::Tuning}};
  const TuningResult result = tuned(typings, grid);
  EXPECT_FALSE(ranking_params_error(result.params));

  const std::vector<DevTyping> held_out = {{"ពិសា", "pisa", Half::HeldOut}};
  EXPECT_TRUE(std::holds_alternative<std::string>(
      tune_ranking(bytes_of(split_words()), held_out, {}, grid)));
  const std::uint8_t bad[] = {'S', 'R', 'L', 'A', 9};
  EXPECT_TRUE(std::holds_alternative<std::string>(tune_ranking(bad, typings, {}, grid)));
}

}  // namespace
}  // namespace sorla::lexicon
