// `sorla type [--learned FILE [--save]] [--json] SCRIPT...`: feeds a key
// script through a typing session and prints the document it leaves.
#include <ostream>

#include "command_util.h"
#include "document.h"
#include "files.h"
#include "key_script.h"
#include "output_format.h"
#include "word_data.h"

namespace sorla::cli {
namespace {

void print_step(const KeyEvent& key, const SessionOutput& out, const SessionView& view,
                const std::string& document, std::ostream& os) {
  os << "{\"key\":" << json_string(key.label) << ",\"commit\":" << json_string(out.commit);
  if (out.retract) os << ",\"retract\":" << json_string(*out.retract);
  os << ",\"eaten\":" << (out.eaten ? "true" : "false") << ",\"typed\":" << json_string(view.typed)
     << ",\"candidates\":[";
  for (std::size_t i = 0; i < view.candidates.size(); ++i) {
    os << (i ? "," : "") << json_string(view.candidates[i]);
  }
  os << "],\"selected\":" << view.selected << ",\"english\":" << (view.english ? "true" : "false")
     << ",\"document\":" << json_string(document) << "}\n";
}

}  // namespace

int run_type(const Arguments& args, Io io) {
  int status = 0;
  const auto parsed =
      parse_or_report(args, io, "type", {"--json", "--save"}, {"--learned", "--data"}, status);
  if (!parsed) return status;
  const auto learned_path = parsed->value("--learned");
  const bool save = parsed->has("--save");
  if (save && !learned_path) return usage_error(io, "type", "--save needs --learned FILE");
  if (parsed->positional.empty()) return usage_error(io, "type", "expects a key SCRIPT");

  std::vector<KeyEvent> keys;
  for (const std::string& script : parsed->positional) {
    auto result = parse_key_script(script);
    if (const auto* message = std::get_if<std::string>(&result)) {
      return usage_error(io, "type", *message);
    }
    const auto& part = std::get<std::vector<KeyEvent>>(result);
    keys.insert(keys.end(), part.begin(), part.end());
  }

  auto built = load_engine(parsed->value("--data"));
  if (const auto* error = std::get_if<std::string>(&built)) return failure(io, "type", *error);
  Engine& engine = std::get<Engine>(built);
  if (learned_path) {
    // With --save the file may be new; without, it must be there to be of use.
    if (const auto error = import_learned_file(engine, *learned_path, save)) {
      return failure(io, "type", *error);
    }
  }

  Session session(engine);
  Document doc;
  const bool json = parsed->has("--json");
  for (const KeyEvent& key : keys) {
    const SessionOutput out = feed_key(session, doc, key);
    if (json) print_step(key, out, session.view(), visible_text(doc, session), io.out);
  }
  if (!json) io.out << visible_text(doc, session) << '\n';
  if (save) {
    if (const auto error = write_file_atomically(*learned_path, engine.export_learned())) {
      return failure(io, "type", *error);
    }
  }
  return 0;
}

}  // namespace sorla::cli
