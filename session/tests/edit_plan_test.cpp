// The edits each kind of session answer turns into, and the model document
// running them.
#include "sorla/edit_plan.h"

#include <gtest/gtest.h>

#include "sorla/text_document.h"

namespace sorla {
namespace {

using Kind = EditOp::Kind;

TEST(EditPlan, OneListPerAnswer) {
  // A letter while composing: the composition shows the letters.
  EXPECT_EQ(plan_output({{}, std::nullopt, true}, "sab", true), (EditPlan{{Kind::Compose, "sab"}}));
  // A commit ends the composition; typing goes on in a new one.
  EXPECT_EQ(plan_output({"ក,", std::nullopt, true}, "", true), (EditPlan{{Kind::Commit, "ក,"}}));
  EXPECT_EQ(plan_output({"ក", std::nullopt, true}, "s", true),
            (EditPlan{{Kind::Commit, "ក"}, {Kind::Compose, "s"}}));
  // Backspace on the last letter leaves nothing composed.
  EXPECT_EQ(plan_output({{}, std::nullopt, true}, "", true),
            (EditPlan{{Kind::Compose, ""}, {Kind::EndComposition, ""}}));
  EXPECT_EQ(plan_output({{}, "ក។", true}, "", false), (EditPlan{{Kind::TakeBack, "ក។"}}));
  EXPECT_TRUE(plan_output({}, "", false).empty());
  EXPECT_EQ(plan_finish("sab"), (EditPlan{{Kind::Commit, "sab"}}));
  EXPECT_EQ(plan_finish(""), (EditPlan{{Kind::EndComposition, ""}}));
}

TEST(TextDocument, RunsPlansAsAnEditorWould) {
  TextDocument doc{"x", std::nullopt};
  doc.apply({{Kind::Compose, "ab"}});
  EXPECT_EQ(doc.visible(), "xab");
  doc.apply(plan_finish(""));  // ended from outside: what it showed stays
  EXPECT_EQ(doc.text, "xab");
  doc.apply({{Kind::Compose, "c"}, {Kind::Commit, "ក"}});
  EXPECT_EQ(doc.text, "xabក");
  doc.apply({{Kind::TakeBack, "zz"}});  // not what stands there: left alone
  doc.apply({{Kind::TakeBack, "bក"}});
  EXPECT_EQ(doc.text, "xa");
  EXPECT_EQ(doc.composition, std::nullopt);

  EXPECT_TRUE(doc.type_key(named_key(vk::Return)));
  EXPECT_TRUE(doc.type_key(named_key(vk::Tab)));
  EXPECT_FALSE(doc.type_key(named_key(vk::Tab, true)));
  EXPECT_FALSE(doc.type_key(ctrl_key('s')));
  EXPECT_FALSE(doc.type_key(named_key(vk::Left)));
  EXPECT_TRUE(doc.type_key(key_for_char(U'\u17D4')));
  EXPECT_EQ(doc.text, "xa\n\t\u17D4");
  EXPECT_TRUE(doc.type_key(named_key(vk::Back)));
  EXPECT_EQ(doc.text, "xa\n\t");
}

}  // namespace
}  // namespace sorla
