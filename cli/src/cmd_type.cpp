// `sorla type [--learned FILE [--save]] [--words FILE] [--data FILE] [--json]
// SCRIPT...`: feeds a key
// script through a typing session and prints the document it leaves.
#include <ostream>

#include "command_util.h"
#include "learned_file.h"
#include "output_format.h"
#include "sorla/text_document.h"
#include "word_data.h"
#include "words_file.h"

namespace sorla::cli {
namespace {

// What the key did, as the session's commit and take-back, and what it left.
void print_step(const KeyEvent& key, const Answer& answer, const std::string& document,
                std::ostream& os) {
  std::string commit;
  std::optional<std::string> retract;
  for (const EditOp& op : answer.plan) {
    if (op.kind == EditOp::Kind::Commit) commit += op.text;
    if (op.kind == EditOp::Kind::TakeBack) retract = op.text;
  }
  const SessionView& view = answer.view;
  os << "{\"key\":" << json_string(key_label(key)) << ",\"commit\":" << json_string(commit);
  if (retract) os << ",\"retract\":" << json_string(*retract);
  os << ",\"eaten\":" << (answer.eaten ? "true" : "false")
     << ",\"typed\":" << json_string(view.typed) << ",\"candidates\":[";
  for (std::size_t i = 0; i < view.candidates.size(); ++i) {
    os << (i ? "," : "") << json_string(view.candidates[i]);
  }
  os << "],\"selected\":" << view.selected << ",\"page\":" << view.page
     << ",\"pages\":" << view.page_count << ",\"english\":" << (view.english ? "true" : "false")
     << ",\"document\":" << json_string(document) << "}\n";
}

}  // namespace

int run_type(const Arguments& args, Io io) {
  int status = 0;
  const auto parsed = parse_or_report(args, io, "type", {"--json", "--save"},
                                      {"--learned", "--words", "--data"}, status);
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

  if (const int words = use_words_or_report(engine, parsed->value("--words"), io, "type")) {
    return words;
  }

  FrontEnd front_end(engine);
  TextDocument doc;
  const bool json = parsed->has("--json");
  for (const KeyEvent& key : keys) {
    const Answer answer = press(front_end, doc, key);
    if (json) print_step(key, answer, doc.visible(), io.out);
  }
  if (!json) io.out << doc.visible() << '\n';
  if (save) {
    // Merged onto the file as it is now: two runs at once keep both's picks.
    // Written even when nothing was learned: --save makes the file.
    PosixStorage storage(*learned_path);
    const SaveOutcome saved = save_learned(storage, engine, true);
    if (saved.result == SaveOutcome::Result::Busy) {
      return failure(io, "type", *learned_path + " is being saved by another program; try again");
    }
    if (saved.result == SaveOutcome::Result::Failed) return failure(io, "type", saved.error);
  }
  return 0;
}

}  // namespace sorla::cli
