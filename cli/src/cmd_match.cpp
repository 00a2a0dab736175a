// `sorla match [--complete] [--json] [--data FILE] TEXT...`: the matcher's
// raw results for typed texts.
#include <ostream>

#include "command_util.h"
#include "output_format.h"
#include "sorla/matcher.h"
#include "word_data.h"

namespace sorla::cli {
namespace {

void print_json(const Engine& engine, const std::string& typed, const std::vector<Match>& matches,
                std::ostream& out) {
  out << "{\"typed\":" << json_string(typed) << ",\"matches\":[";
  for (std::size_t i = 0; i < matches.size(); ++i) {
    const Match& m = matches[i];
    out << (i ? "," : "") << "{\"word\":" << m.word
        << ",\"text\":" << json_string(engine.words()[m.word]) << ",\"cost\":" << json_float(m.cost)
        << ",\"exact\":" << (m.exact ? "true" : "false") << '}';
  }
  out << "]}\n";
}

void print_plain(const Engine& engine, const std::string& typed, const std::vector<Match>& matches,
                 std::ostream& out) {
  out << "typed: " << typed << '\n';
  if (matches.empty()) out << "  (no matches)\n";
  for (const Match& m : matches) {
    out << "  " << m.word << '\t' << engine.words()[m.word] << '\t' << plain_float(m.cost)
        << (m.exact ? "\texact" : "\tinexact") << '\n';
  }
}

}  // namespace

int run_match(const Arguments& args, Io io) {
  int status = 0;
  const auto parsed =
      parse_or_report(args, io, "match", {"--complete", "--json"}, {"--data"}, status);
  if (!parsed) return status;
  auto built = load_engine(parsed->value("--data"));
  if (const auto* error = std::get_if<std::string>(&built)) return failure(io, "match", *error);
  const Engine& engine = std::get<Engine>(built);
  const bool complete = parsed->has("--complete");
  const bool json = parsed->has("--json");
  return for_each_text(*parsed, io, "match", [&](const std::string& typed) {
    const auto matches = engine.matcher().find(typed, match_threshold(), complete);
    if (json) {
      print_json(engine, typed, matches, io.out);
    } else {
      print_plain(engine, typed, matches, io.out);
    }
  });
}

}  // namespace sorla::cli
