// A stand-in for the application behind the input method: the text the
// session's outputs build up, with let-through keys acting as an editor would.
#pragma once

#include <string>

#include "key_event.h"
#include "sorla/session.h"

namespace sorla::cli {

struct Document {
  std::string text;  // final text, the composition not included
};

// Applies one output: the retract, then the commit, then, when the key was
// not eaten, what an editor does with it (Enter, Tab and Space insert their
// character, Backspace deletes one character, other keys change nothing).
void apply_output(Document& doc, const KeyEvent& key, const SessionOutput& out);

// The session's key handling for one event: `apply` for the mode switch,
// `handle_key` for everything else; the document gets the result.
SessionOutput feed_key(Session& session, Document& doc, const KeyEvent& key);

// What the user sees: the final text followed by the letters being typed.
std::string visible_text(const Document& doc, const Session& session);

}  // namespace sorla::cli
