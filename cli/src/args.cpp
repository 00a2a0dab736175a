#include "args.h"

namespace sorla::cli {

std::optional<std::string> Args::value(const std::string& name) const {
  const auto it = values.find(name);
  if (it == values.end()) return std::nullopt;
  return it->second;
}

std::variant<Args, std::string> parse_args(const std::vector<std::string>& args,
                                           const std::set<std::string>& flag_names,
                                           const std::set<std::string>& value_names) {
  Args out;
  bool options_done = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (options_done || arg.size() < 2 || arg[0] != '-') {
      out.positional.push_back(arg);
      continue;
    }
    if (arg == "--") {
      options_done = true;
      continue;
    }
    std::string name = arg;
    std::optional<std::string> inline_value;
    if (const auto eq = arg.find('='); arg.starts_with("--") && eq != std::string::npos) {
      name = arg.substr(0, eq);
      inline_value = arg.substr(eq + 1);
    }
    if (flag_names.contains(name) && !inline_value) {
      out.flags.insert(name);
    } else if (value_names.contains(name)) {
      if (inline_value) {
        out.values[name] = *inline_value;
      } else if (i + 1 < args.size()) {
        out.values[name] = args[++i];
      } else {
        return "option " + name + " needs a value";
      }
    } else {
      return "unknown option " + arg;
    }
  }
  return out;
}

}  // namespace sorla::cli
