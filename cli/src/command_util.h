// What the commands share: reporting failures and reading typed texts.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "args.h"
#include "commands.h"
#include "sorla/engine.h"

namespace sorla::cli {

inline constexpr int kFailed = 1;
inline constexpr int kUsage = 2;

// "sorla CMD: MESSAGE" and a pointer to --help on the error stream; status 2.
int usage_error(Io io, std::string_view command, std::string_view message);

// "sorla CMD: MESSAGE" on the error stream; status 1.
int failure(Io io, std::string_view command, std::string_view message);

// Parses ARGS or reports the usage error (status in `status`).
std::optional<Args> parse_or_report(const Arguments& args, Io io, std::string_view command,
                                    const std::set<std::string>& flags,
                                    const std::set<std::string>& values, int& status);

// Calls `each` for every positional text, or, when there are none, for every
// line of the input (line ends, with a carriage return before them, dropped).
// Texts that are not UTF-8 are refused. Returns the exit status.
int for_each_text(const Args& args, Io io, std::string_view command,
                  const std::function<void(const std::string&)>& each);

// Imports the learned picks of FILE into the engine; a message when the file
// cannot be read or imported. A missing file is accepted when `missing_ok`.
std::optional<std::string> import_learned_file(Engine& engine, const std::string& path,
                                               bool missing_ok);

}  // namespace sorla::cli
