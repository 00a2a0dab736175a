#include "command_util.h"

#include <istream>
#include <ostream>

#include "learned_file.h"
#include "sorla/text.h"

namespace sorla::cli {

int usage_error(Io io, std::string_view command, std::string_view message) {
  io.err << "sorla" << (command.empty() ? "" : " ") << command << ": " << message
         << "\nTry 'sorla --help'.\n";
  return kUsage;
}

int failure(Io io, std::string_view command, std::string_view message) {
  io.err << "sorla" << (command.empty() ? "" : " ") << command << ": " << message << '\n';
  return kFailed;
}

std::optional<Args> parse_or_report(const Arguments& args, Io io, std::string_view command,
                                    const std::set<std::string>& flags,
                                    const std::set<std::string>& values, int& status) {
  auto parsed = parse_args(args, flags, values);
  if (auto* message = std::get_if<std::string>(&parsed)) {
    status = usage_error(io, command, *message);
    return std::nullopt;
  }
  return std::get<Args>(std::move(parsed));
}

int for_each_text(const Args& args, Io io, std::string_view command,
                  const std::function<void(const std::string&)>& each) {
  const auto one = [&](const std::string& text) {
    if (!is_valid_utf8(text)) return failure(io, command, "the typed text is not UTF-8");
    each(text);
    return 0;
  };
  if (!args.positional.empty()) {
    for (const std::string& text : args.positional) {
      if (const int status = one(text)) return status;
    }
    return 0;
  }
  std::string line;
  while (std::getline(io.in, line)) {
    if (line.ends_with('\r')) line.pop_back();
    if (const int status = one(line)) return status;
    io.out.flush();  // one answer per line, also through a pipe
  }
  return 0;
}

std::optional<std::string> import_learned_file(Engine& engine, const std::string& path,
                                               bool missing_ok) {
  PosixStorage storage(path);
  const LoadOutcome outcome = load_learned(storage, engine);
  if (outcome.result == LoadOutcome::Result::Missing && !missing_ok) {
    return "cannot read " + path + ": No such file or directory";
  }
  return load_message(path, outcome);
}

}  // namespace sorla::cli
