// `sorla compile SEED.txt -o OUT.srla [--name NAME] [--ranking FILE]
// [--index]`: the binary form of word data, carrying the ranking numbers of
// FILE (format_ranking_params' text) when given, and with --index its
// prebuilt index beside it (OUT.sidx), which the text service maps instead
// of building an engine.
#include <filesystem>
#include <ostream>

#include "command_util.h"
#include "files.h"
#include "sorla/engine.h"
#include "sorla/index_file.h"
#include "sorla/ranking_params.h"
#include "sorla/text.h"
#include "word_data_file.h"

namespace sorla::cli {
namespace {

// A ranking file is a few lines; anything far larger is not one.
constexpr std::size_t kMaxRankingBytes = 64 << 10;

}  // namespace

int run_compile(const Arguments& args, Io io) {
  int status = 0;
  const auto parsed = parse_or_report(args, io, "compile", {"--index"},
                                      {"-o", "--output", "--name", "--ranking"}, status);
  if (!parsed) return status;
  if (parsed->positional.size() != 1) return usage_error(io, "compile", "expects one SEED file");
  const auto output = parsed->value("-o") ? parsed->value("-o") : parsed->value("--output");
  if (!output) return usage_error(io, "compile", "needs -o OUT");
  const std::string& path = parsed->positional[0];
  const auto name = parsed->value("--name");
  if (name && !is_valid_utf8(*name)) return usage_error(io, "compile", "the name is not UTF-8");
  std::optional<RankingParams> ranking;
  if (const auto ranking_path = parsed->value("--ranking")) {
    const auto text = read_file(*ranking_path, kMaxRankingBytes);
    if (const auto* error = std::get_if<FileError>(&text)) {
      return failure(io, "compile", error->message);
    }
    auto parsed_ranking = parse_ranking_params(std::get<std::string>(text));
    if (const auto* error = std::get_if<std::string>(&parsed_ranking)) {
      return failure(io, "compile", *ranking_path + ": " + *error);
    }
    ranking = std::get<RankingParams>(parsed_ranking);
  }
  const auto bytes = read_word_data_file(path);
  if (const auto* error = std::get_if<FileError>(&bytes)) {
    return failure(io, "compile", error->message);
  }
  const auto compiled = compile_word_data(std::get<std::string>(bytes), name, ranking);
  if (const auto* error = std::get_if<ReadError>(&compiled)) {
    return failure(io, "compile", path + ": " + error->message);
  }
  const auto& data = std::get<CompiledWordData>(compiled).bytes;
  if (const auto error = write_file_atomically(
          *output, std::string(reinterpret_cast<const char*>(data.data()), data.size()))) {
    return failure(io, "compile", *error);
  }
  if (parsed->has("--index")) {
    const auto built = Engine::from_bytes(data);
    if (const auto* error = std::get_if<ReadError>(&built)) {
      return failure(io, "compile", error->message);
    }
    const auto index = std::get<Engine>(built).index_bytes(data);
    const std::string index_path =
        std::filesystem::path(*output).replace_extension(kIndexExtension).string();
    if (const auto error = write_file_atomically(
            index_path, std::string(reinterpret_cast<const char*>(index.data()), index.size()))) {
      return failure(io, "compile", *error);
    }
  }
  return 0;
}

}  // namespace sorla::cli
