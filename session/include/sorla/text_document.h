// A model of the application behind the input method, for `sorla` and the
// tests: final text with the caret at its end and an optional composition.
// It runs edit plans as the text service runs them through TSF, and handles
// the keys the service does not claim as an editor would.
#pragma once

#include <optional>
#include <string>

#include "sorla/edit_plan.h"
#include "sorla/key_script.h"
#include "sorla/session.h"

namespace sorla {

struct TextDocument {
  std::string text;
  std::optional<std::string> composition;

  void apply(const EditPlan& plan);
  // An editor's own handling of a key: Enter, Tab and printable characters
  // insert, Backspace deletes one character. True when the text changed.
  bool type_key(const KeyEvent& key);
  // What the user sees.
  std::string visible() const { return text + composition.value_or(std::string()); }
};

// One key press through a front end: a claimed key's answer becomes the
// document's edit plan; a key the session leaves alone (or passes on after
// its edit) reaches the editor, whose change the session hears of as a moved
// selection.
SessionOutput press(Session& session, TextDocument& doc, const KeyEvent& key);

}  // namespace sorla
