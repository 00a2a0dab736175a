#include "sorla/text_document.h"

#include "chars.h"

namespace sorla {
namespace {

void pop_char(std::string& text) {
  std::size_t n = text.size();
  while (n > 0 && (static_cast<unsigned char>(text[n - 1]) & 0xC0) == 0x80) --n;
  text.resize(n > 0 ? n - 1 : 0);
}

}  // namespace

void TextDocument::apply(const EditPlan& plan) {
  for (const EditOp& op : plan) {
    switch (op.kind) {
      case EditOp::Kind::TakeBack:
        if (!composition && text.ends_with(op.text)) text.resize(text.size() - op.text.size());
        break;
      case EditOp::Kind::Commit:
        composition.reset();
        text += op.text;
        break;
      case EditOp::Kind::Compose:
        composition = op.text;
        break;
      case EditOp::Kind::EndComposition:
        text += composition.value_or(std::string());
        composition.reset();
        break;
    }
  }
}

bool TextDocument::type_key(const KeyEvent& key) {
  if (key.toggle || key.mods.ctrl || key.mods.alt) return false;
  switch (key.vk) {
    case vk::Return:
      text += '\n';
      return true;
    case vk::Tab:
      if (key.mods.shift) return false;
      text += '\t';
      return true;
    case vk::Back:
      if (text.empty()) return false;
      pop_char(text);
      return true;
    default:
      if (!key.ch || !is_printable(*key.ch)) return false;
      append_utf8(text, *key.ch);
      return true;
  }
}

Answer press(FrontEnd& front_end, TextDocument& doc, const KeyEvent& key) {
  Answer answer = key.toggle ? front_end.toggle() : front_end.key_down(key);
  doc.apply(answer.plan);
  if (!answer.eaten && doc.type_key(key)) front_end.selection_moved();
  return answer;
}

}  // namespace sorla
