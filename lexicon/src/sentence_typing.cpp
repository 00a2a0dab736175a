#include "sorla/lexicon/sentence_typing.h"

#include "sorla/front_end.h"
#include "sorla/text.h"
#include "sorla/text_document.h"

namespace sorla::lexicon {

std::string type_sentence(Engine& engine, const std::vector<std::string>& words) {
  engine.replace_learned(LearnedStore{});
  FrontEnd front_end(engine);
  TextDocument doc;
  for (const std::string& word : words) {
    for (std::size_t i = 0; i < word.size();)
      press(front_end, doc, key_for_char(next_char(word, i)));
    press(front_end, doc, key_for_char(U' '));
  }
  return doc.visible();
}

}  // namespace sorla::lexicon
