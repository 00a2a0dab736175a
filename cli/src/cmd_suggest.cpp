// `sorla suggest [--previous TEXT] [--learned FILE] [--words FILE]
// [--data FILE] [--json] [TEXT...]`: the engine's suggestions for typed texts.
#include <ostream>

#include "command_util.h"
#include "output_format.h"
#include "sorla/text.h"
#include "word_data.h"
#include "words_file.h"

namespace sorla::cli {

int run_suggest(const Arguments& args, Io io) {
  int status = 0;
  const auto parsed = parse_or_report(args, io, "suggest", {"--json"},
                                      {"--previous", "--learned", "--words", "--data"}, status);
  if (!parsed) return status;
  const auto previous = parsed->value("--previous");
  if (previous && !is_valid_utf8(*previous)) {
    return usage_error(io, "suggest", "the previous text is not UTF-8");
  }
  auto built = load_engine(parsed->value("--data"));
  if (const auto* error = std::get_if<std::string>(&built)) return failure(io, "suggest", *error);
  Engine& engine = std::get<Engine>(built);
  if (const auto learned = parsed->value("--learned")) {
    if (const auto error = import_learned_file(engine, *learned, false)) {
      return failure(io, "suggest", *error);
    }
  }
  if (const int words = use_words_or_report(engine, parsed->value("--words"), io, "suggest")) {
    return words;
  }
  const bool json = parsed->has("--json");
  return for_each_text(*parsed, io, "suggest", [&](const std::string& typed) {
    const auto suggestions = engine.suggest(typed, previous);
    if (json) {
      io.out << "{\"typed\":" << json_string(typed) << ",\"suggestions\":[";
      for (std::size_t i = 0; i < suggestions.size(); ++i) {
        io.out << (i ? "," : "") << "{\"text\":" << json_string(suggestions[i].text)
               << ",\"score\":" << json_float(suggestions[i].score) << '}';
      }
      io.out << "]}\n";
      return;
    }
    io.out << "typed: " << typed << '\n';
    if (suggestions.empty()) io.out << "  (no suggestions)\n";
    for (std::size_t i = 0; i < suggestions.size(); ++i) {
      io.out << "  " << i + 1 << '\t' << suggestions[i].text << '\t'
             << plain_float(suggestions[i].score) << '\n';
    }
  });
}

}  // namespace sorla::cli
