// Key scripts typed through a front end: the session's answers run as edit
// plans on the model document, unclaimed keys typed by the editor.
// Invariants: at most five candidates, a composition of letters, apostrophes
// and hyphens only, an undo ring of at most 32, a take-back only ever of the
// text a commit produced, and a key the session does not claim changes
// nothing in it.
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
  sorla::Session session(local);
  sorla::TextDocument doc;
  std::vector<std::string> commits;
  for (const sorla::KeyEvent& key : *keys) {
    const bool claimed = key.toggle || session.would_eat(key.vk, key.ch, key.mods);
    const sorla::SessionView before = session.view();
    const std::size_t undo_before = session.undo().size();
    const sorla::SessionOutput out = sorla::press(session, doc, key);
    if (!claimed) {
      if (out != sorla::SessionOutput{}) std::abort();
      if (session.view() != before || session.undo().size() > undo_before) std::abort();
    }
    if (out.retract) {
      if (commits.empty() || commits.back() != *out.retract) std::abort();
      commits.pop_back();
    }
    if (!out.commit.empty()) commits.push_back(out.commit);
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
