// The subcommands of `sorla`. Each takes its arguments (after the command
// name) and its streams and returns the exit status: 0 done, 1 failed,
// 2 used wrongly.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace sorla::cli {

struct Io {
  std::istream& in;
  std::ostream& out;
  std::ostream& err;
};

using Arguments = std::vector<std::string>;

int run_check(const Arguments& args, Io io);
int run_compile(const Arguments& args, Io io);
int run_match(const Arguments& args, Io io);
int run_suggest(const Arguments& args, Io io);
int run_type(const Arguments& args, Io io);
int run_learned(const Arguments& args, Io io);
int run_words(const Arguments& args, Io io);
int run_try(const Arguments& args, Io io);
int run_report_url(const Arguments& args, Io io);

// The report page of `make serve`.
inline constexpr char kLocalReportBase[] = "http://127.0.0.1:8080/report";

// Dispatches `sorla ARGS...` (without the program name).
int run_sorla(const Arguments& args, Io io);

std::string help_text();

}  // namespace sorla::cli
