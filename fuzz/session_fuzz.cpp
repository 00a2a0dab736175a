// Key scripts typed through the front end: its answers run as edit plans on
// the model document, unclaimed keys typed by the editor. Invariants: the
// test call answers what the real call does, at most five candidates, a
// composition of letters, apostrophes and hyphens only, an undo ring of at
// most 32, a take-back only ever of the text a commit produced, and a key the
// front end does not claim changes nothing in the typing.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "sorla/key_script.h"
#include "sorla/text_document.h"

namespace {

bool composition_ok(const std::string& typed) {
  for (char c : typed) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '\'' || c == '-';
    if (!ok) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static sorla::Engine engine =
      std::get<sorla::Engine>(sorla::Engine::from_bytes(sorla::seed_words()));
  const auto parsed =
      sorla::parse_key_script(std::string_view(reinterpret_cast<const char*>(data), size));
  const auto* keys = std::get_if<std::vector<sorla::KeyEvent>>(&parsed);
  if (keys == nullptr) return 0;

  sorla::Engine local = engine;
  sorla::FrontEnd front_end(local);
  sorla::TextDocument doc;
  std::vector<std::string> commits;
  for (const sorla::KeyEvent& key : *keys) {
    sorla::FrontEnd tested = front_end;
    const bool claimed = key.toggle || tested.test_key_down(key);
    const sorla::SessionView before = front_end.view();
    const std::size_t undo_before = front_end.session().undo().size();
    const sorla::Answer answer = sorla::press(front_end, doc, key);
    if (claimed != answer.eaten) std::abort();
    if (!claimed) {
      if (!answer.plan.empty()) std::abort();
      if (front_end.view() != before || front_end.session().undo().size() > undo_before) {
        std::abort();
      }
    }
    for (const sorla::EditOp& op : answer.plan) {
      if (op.kind == sorla::EditOp::Kind::TakeBack) {
        if (commits.empty() || commits.back() != op.text) std::abort();
        commits.pop_back();
      }
      if (op.kind == sorla::EditOp::Kind::Commit) commits.push_back(op.text);
    }
    const sorla::Session& session = front_end.session();
    const sorla::SessionView v = session.view();
    if (v.candidates.size() > 5) std::abort();
    if (!composition_ok(v.typed)) std::abort();
    if (doc.composition.value_or(std::string()) != v.typed) std::abort();
    if (session.undo().size() > sorla::Session::kUndoDepth) std::abort();
    if (v.typed.empty() && !v.candidates.empty()) std::abort();
    if (!v.candidates.empty() && v.selected >= v.candidates.size()) std::abort();
  }
  return 0;
}
