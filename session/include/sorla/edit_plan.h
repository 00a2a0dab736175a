// What one answer of the session does to the document, as an ordered list of
// edits every front end runs the same way: the text service through TSF,
// `sorla` on its model document.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "sorla/session.h"

namespace sorla {

struct EditOp {
  enum class Kind {
    TakeBack,        // delete `text` just before the caret, if exactly that stands there
    Commit,          // final `text` at the caret; an open composition becomes it and ends
    Compose,         // the composition shows `text`, opened at the caret if none is
    EndComposition,  // the composition ends; what it shows stays as final text
  };
  Kind kind;
  std::string text;
  bool operator==(const EditOp&) const = default;
};

using EditPlan = std::vector<EditOp>;

// The edits for `out`, after which the session holds `typed`; `composing`:
// a composition is open now.
EditPlan plan_output(const SessionOutput& out, std::string_view typed, bool composing);

// Ends an open composition from outside the typing (focus change,
// deactivation), with `commit` (what the session's reset gave) as its text
// when there is one.
EditPlan plan_finish(std::string_view commit);

}  // namespace sorla
