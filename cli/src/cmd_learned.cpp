// `sorla learned path|export|import FILE [--learned TARGET]`: the user's
// learned-picks file, shown or replaced by a checked document.
#include <ostream>

#include "command_util.h"
#include "files.h"
#include "learned_file.h"
#include "word_data.h"

namespace sorla::cli {

int run_learned(const Arguments& args, Io io) {
  int status = 0;
  const auto parsed = parse_or_report(args, io, "learned", {}, {"--learned"}, status);
  if (!parsed) return status;
  const auto& pos = parsed->positional;
  if (pos.empty()) return usage_error(io, "learned", "expects path, export or import FILE");
  const std::string& action = pos[0];
  const auto target =
      parsed->value("--learned") ? parsed->value("--learned") : default_learned_path();
  if (!target) {
    return failure(io, "learned", "no learned file: set XDG_DATA_HOME or HOME, or use --learned");
  }
  auto built = load_engine(std::nullopt);
  if (const auto* error = std::get_if<std::string>(&built)) return failure(io, "learned", *error);
  Engine& engine = std::get<Engine>(built);

  if (action == "path" && pos.size() == 1) {
    io.out << *target << '\n';
    return 0;
  }
  if (action == "export" && pos.size() == 1) {
    // A missing file is an empty store; what is printed is always a valid document.
    if (const auto error = import_learned_file(engine, *target, true)) {
      return failure(io, "learned", *error);
    }
    io.out << engine.export_learned() << '\n';
    return 0;
  }
  if (action == "import" && pos.size() == 2) {
    if (const auto error = import_learned_file(engine, pos[1], false)) {
      return failure(io, "learned", *error);
    }
    if (const auto error = write_file_atomically(*target, engine.export_learned())) {
      return failure(io, "learned", *error);
    }
    return 0;
  }
  return usage_error(io, "learned", "expects path, export or import FILE");
}

}  // namespace sorla::cli
