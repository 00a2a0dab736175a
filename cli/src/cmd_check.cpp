// `sorla check FILE [--list]`: reads word data as `compile` does and tells
// what is in it and the ranking numbers an engine built from it uses, or the
// reader's message.
#include <ostream>

#include "command_util.h"
#include "output_format.h"
#include "sorla/ranking_params.h"
#include "word_data_file.h"

namespace sorla::cli {
namespace {

void print_list(const WordList& list, std::ostream& out) {
  for (std::size_t i = 0; i < list.entries.size(); ++i) {
    const WordEntry& entry = list.entries[i];
    out << "word\t" << i << '\t' << entry.word << '\t' << entry.value << '\t';
    for (std::size_t k = 0; k < entry.spellings.size(); ++k) {
      out << (k ? " " : "") << entry.spellings[k];
    }
    out << '\n';
  }
  for (const PairEntry& pair : list.pairs) {
    out << "pair\t" << pair.first << '\t' << pair.second << '\t' << pair.count << '\n';
  }
}

void print_ranking(const RankingParams& params, std::ostream& out) {
  out << "ranking:";
  const char* separator = " ";
  for (const RankingNumber& n : kRankingNumbers) {
    out << separator << n.name << ' ' << plain_float(params.*n.field);
    separator = ", ";
  }
  out << '\n';
}

}  // namespace

int run_check(const Arguments& args, Io io) {
  int status = 0;
  const auto parsed = parse_or_report(args, io, "check", {"--list"}, {}, status);
  if (!parsed) return status;
  if (parsed->positional.size() != 1) return usage_error(io, "check", "expects one FILE");
  const std::string& path = parsed->positional[0];
  const auto bytes = read_word_data_file(path);
  if (const auto* error = std::get_if<FileError>(&bytes)) {
    return failure(io, "check", error->message);
  }
  const auto result = compile_word_data(std::get<std::string>(bytes));
  if (const auto* error = std::get_if<ReadError>(&result)) {
    io.err << error->message << '\n';
    return kFailed;
  }
  const WordList& list = std::get<CompiledWordData>(result).list;
  io.out << "words: " << list.entries.size() << '\n'
         << "pairs: " << list.pairs.size() << '\n'
         << "data name: " << (list.data_name.empty() ? "none" : json_string(list.data_name))
         << '\n';
  // What every engine made from this data ranks with.
  print_ranking(list.ranking.value_or(RankingParams{}), io.out);
  if (parsed->has("--list")) print_list(list, io.out);
  return 0;
}

}  // namespace sorla::cli
