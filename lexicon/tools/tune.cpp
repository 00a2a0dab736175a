// Chooses the ranking numbers the shipped word data carries: the tuning
// search (sorla/lexicon/tune.h) over the development set's tuning half,
// written as the ranking text `sorla compile --ranking` reads, with a header
// saying how they were found and what they score. Same inputs, same bytes.
//
//   lexicon_tune WORDS.txt DEV.tsv SENTENCES.tsv OUT.txt
#include "sorla/lexicon/tune.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <variant>

#include "read_file.h"
#include "sorla/format.h"
#include "sorla/seed_text.h"

namespace {

using sorla::lexicon::TuningFigures;

std::string figures_text(const TuningFigures& f) {
  char line[200];
  std::snprintf(line, sizeof line,
                "words first %zu/%zu (%.1f%%), in five %zu/%zu (%.1f%%); sentences exact "
                "%zu/%zu (%.1f%%)",
                f.words.first, f.words.total, 100.0 * f.words.first / f.words.total,
                f.words.in_five, f.words.total, 100.0 * f.words.in_five / f.words.total,
                f.sentences.exact, f.sentences.total,
                f.sentences.total ? 100.0 * f.sentences.exact / f.sentences.total : 0.0);
  return line;
}

std::vector<std::uint8_t> word_data(const char* path) {
  auto read = sorla::parse_seed_text(sorla::lexicon::read_file(path), "");
  if (const auto* error = std::get_if<sorla::ReadError>(&read)) {
    throw std::runtime_error(std::string(path) + ": " + error->message);
  }
  // Binary once, so that each engine the search builds reads it straight.
  auto bytes = sorla::write_data_file(std::get<sorla::WordList>(read));
  if (const auto* error = std::get_if<sorla::ReadError>(&bytes)) {
    throw std::runtime_error(std::string(path) + ": " + error->message);
  }
  return std::move(std::get<std::vector<std::uint8_t>>(bytes));
}

}  // namespace

int main(int argc, char** argv) try {
  if (argc != 5) {
    std::fprintf(stderr, "usage: lexicon_tune WORDS.txt DEV.tsv SENTENCES.tsv OUT.txt\n");
    return 2;
  }
  const auto began = std::chrono::steady_clock::now();
  const auto data = word_data(argv[1]);
  const auto typings = sorla::lexicon::read_dev_words(sorla::lexicon::read_file(argv[2]));
  const auto sentences = sorla::lexicon::read_dev_sentences(sorla::lexicon::read_file(argv[3]));
  auto tuned = sorla::lexicon::tune_ranking(
      data, typings, sentences, sorla::lexicon::default_tuning_grid(), 4,
      [](std::size_t number, const sorla::RankingParams& params, const TuningFigures& f) {
        const auto& n = sorla::kRankingNumbers[number];
        std::fprintf(stderr, "lexicon_tune: %s %g: %s\n", n.name, double(params.*n.field),
                     figures_text(f).c_str());
      });
  if (const auto* error = std::get_if<std::string>(&tuned)) {
    std::fprintf(stderr, "lexicon_tune: %s\n", error->c_str());
    return 1;
  }
  const auto& result = std::get<sorla::lexicon::TuningResult>(tuned);

  std::ostringstream out;
  out << "# Ranking numbers of the shipped word data, chosen by `make lexicon` (lexicon_tune):\n"
         "# coordinate descent on a fixed grid over the development set's tuning half only,\n"
         "# maximizing 2 x words first + words in five + sentences exact (shares of each).\n"
         "# Do not edit by hand.\n"
      << "# Tuning half, specified numbers: " << figures_text(result.specified) << "\n"
      << "# Tuning half, these numbers: " << figures_text(result.chosen) << "\n";
  out << sorla::format_ranking_params(result.params);
  std::ofstream file(argv[4], std::ios::binary);
  file << out.str();
  if (!file.flush()) {
    std::fprintf(stderr, "lexicon_tune: cannot write %s\n", argv[4]);
    return 1;
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
  std::fprintf(stderr, "lexicon_tune: %zu engines in %zu passes, %.0f s\n", result.engines,
               result.passes, seconds);
  return 0;
} catch (const std::exception& e) {
  std::fprintf(stderr, "lexicon_tune: %s\n", e.what());
  return 1;
}
