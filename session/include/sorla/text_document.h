// A model of the application behind the input method, for `sorla` and the
// tests: final text with the caret at its end and an optional composition.
// It runs edit plans as the text service runs them through TSF, and handles
// the keys the service does not claim as an editor would.
#pragma once

#include <optional>
#include <string>

#include "sorla/edit_plan.h"
#include "sorla/front_end.h"
#include "sorla/key_script.h"

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

// One key press through the front end: the document runs the
// plan it answers, and a key it does not eat reaches the editor, whose change
// the front end hears of as a moved selection.
Answer press(FrontEnd& front_end, TextDocument& doc, const KeyEvent& key);

}  // namespace sorla
