// Command-line options of one subcommand.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace sorla::cli {

struct Args {
  std::set<std::string> flags;
  std::map<std::string, std::string> values;
  std::vector<std::string> positional;

  bool has(const std::string& flag) const { return flags.contains(flag); }
  std::optional<std::string> value(const std::string& name) const;
};

// Splits ARGS into the named flags, options taking a value ("--name V",
// "--name=V") and positional arguments ("--" ends the options). A message
// for an unknown option or a missing value.
std::variant<Args, std::string> parse_args(const std::vector<std::string>& args,
                                           const std::set<std::string>& flag_names,
                                           const std::set<std::string>& value_names);

}  // namespace sorla::cli
