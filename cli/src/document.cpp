#include "document.h"

#include "utf8.h"

namespace sorla::cli {
namespace {

bool printable(char32_t c) { return c >= 0x20 && !(c >= 0x7F && c <= 0x9F); }

}  // namespace

void apply_output(Document& doc, const KeyEvent& key, const SessionOutput& out) {
  // A retract names the text just before the caret; anything else there was
  // not written by the session and is left alone.
  if (out.retract && doc.text.ends_with(*out.retract)) {
    doc.text.resize(doc.text.size() - out.retract->size());
  }
  doc.text += out.commit;
  if (out.eaten || key.toggle || key.mods.ctrl || key.mods.alt) return;
  switch (key.vk) {
    case vk::Return:
      doc.text += '\n';
      return;
    case vk::Tab:
      if (!key.mods.shift) doc.text += '\t';
      return;
    case vk::Back:
      pop_utf8_char(doc.text);
      return;
    default:
      if (key.ch && printable(*key.ch)) doc.text += encode_utf8(*key.ch);
      return;
  }
}

SessionOutput feed_key(Session& session, Document& doc, const KeyEvent& key) {
  const SessionOutput out =
      key.toggle ? session.apply(input::ToggleMode) : session.handle_key(key.vk, key.ch, key.mods);
  apply_output(doc, key, out);
  return out;
}

std::string visible_text(const Document& doc, const Session& session) {
  return doc.text + session.typed();
}

}  // namespace sorla::cli
