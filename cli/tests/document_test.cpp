#include "document.h"

#include <gtest/gtest.h>

namespace sorla::cli {
namespace {

SessionOutput out(std::string commit, bool eaten, std::optional<std::string> retract = {}) {
  return {std::move(commit), std::move(retract), eaten};
}

TEST(DocumentModel, CommitsAndRetracts) {
  Document doc;
  apply_output(doc, key_for_char(' '), out("\xE1\x9E\x80", true));
  apply_output(doc, key_for_char('.'), out("ab\xE1\x9F\x94", true));
  EXPECT_EQ(doc.text,
            "\xE1\x9E\x80"
            "ab\xE1\x9F\x94");
  apply_output(doc, named_key(vk::Back), out("", true, "ab\xE1\x9F\x94"));
  EXPECT_EQ(doc.text, "\xE1\x9E\x80");
  // A retract that does not match the end of the text changes nothing.
  apply_output(doc, named_key(vk::Back), out("", true, "zz"));
  EXPECT_EQ(doc.text, "\xE1\x9E\x80");
}

TEST(DocumentModel, KeysThatReachTheApplication) {
  Document doc{"x"};
  apply_output(doc, named_key(vk::Return), out("ab", false));
  EXPECT_EQ(doc.text, "xab\n");
  apply_output(doc, named_key(vk::Tab), out("", false));
  apply_output(doc, key_for_char(' '), out("", false));
  EXPECT_EQ(doc.text, "xab\n\t ");
  apply_output(doc, named_key(vk::Tab, true), out("", false));
  apply_output(doc, named_key(vk::Left), out("", false));
  apply_output(doc, named_key(vk::Escape), out("", false));
  apply_output(doc, ctrl_key('s'), out("", false));
  apply_output(doc, toggle_key(), out("", false));
  EXPECT_EQ(doc.text, "xab\n\t ");
  // Backspace removes a whole character, a Khmer one too.
  doc.text = "a\xE1\x9E\x80";
  apply_output(doc, named_key(vk::Back), out("", false));
  EXPECT_EQ(doc.text, "a");
  apply_output(doc, named_key(vk::Back), out("", false));
  apply_output(doc, named_key(vk::Back), out("", false));
  EXPECT_EQ(doc.text, "");
}

TEST(DocumentModel, EatenKeysAddOnlyTheCommit) {
  Document doc;
  apply_output(doc, named_key(vk::Return), out("", true));
  apply_output(doc, key_for_char('7'), out("7", true));
  EXPECT_EQ(doc.text, "7");
}

}  // namespace
}  // namespace sorla::cli
