// `sorla report-url [--base URL] [--offered WORD] [--data-name NAME] TYPED`:
// the link the candidate window's flag opens, built by the same function.
#include <ostream>

#include "command_util.h"
#include "sorla/report_url.h"
#include "sorla/text.h"
#include "version.h"

namespace sorla::cli {

int run_report_url(const Arguments& args, Io io) {
  int status = 0;
  const auto parsed =
      parse_or_report(args, io, "report-url", {}, {"--base", "--offered", "--data-name"}, status);
  if (!parsed) return status;
  if (parsed->positional.size() != 1) {
    return usage_error(io, "report-url", "give the typed letters as one argument");
  }
  const std::string offered = parsed->value("--offered").value_or("");
  const std::string& typed = parsed->positional.front();
  if (!is_valid_utf8(typed) || !is_valid_utf8(offered)) {
    return failure(io, "report-url", "the typed letters and the offered word must be UTF-8");
  }
  const SessionView view{
      typed, offered.empty() ? std::vector<std::string>{} : std::vector<std::string>{offered}, 0,
      false};
  const auto url =
      report::report_url(parsed->value("--base").value_or(kLocalReportBase), view,
                         SORLA_VERSION_STRING, report::data_value(parsed->value("--data-name")));
  if (!url) return usage_error(io, "report-url", "nothing typed");
  io.out << *url << '\n';
  return 0;
}

}  // namespace sorla::cli
