// Fields that are not for Khmer text: passwords and PINs stay private,
// numbers and addresses get their keys untouched, and a keyboard the
// application disabled or a read-only document is left alone.
#include <gtest/gtest.h>

#include "host/host.h"

namespace sorla::host {
namespace {

// Keys that would compose, commit, choose and learn in an ordinary field.
void type_everything(Host& host) {
  for (const int vk : {int{'S'}, int{'A'}, int{'B'}, int{'A'}, int{'Y'}, VK_SPACE, int{'1'},
                       VK_OEM_PERIOD, VK_BACK}) {
    EXPECT_FALSE(host.tap(vk)) << vk;
    EXPECT_FALSE(host.thread_mgr().last_answers().first) << vk;  // not even claimed
  }
}

class Fields : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(host.activate(), S_OK);
    // A pick made and saved before, so the file has bytes to keep.
    host.type("sabay ");
    host.focus(2);
    host.focus(1);
  }
  Host host;
};

TEST_F(Fields, APasswordFieldGetsEveryKeyAndNothingIsLearned) {
  const std::string learned = host.learned_file();
  ASSERT_FALSE(learned.empty());
  host.doc(2).set_input_scopes(std::vector<InputScope>{IS_DEFAULT, IS_PASSWORD});
  host.focus(2);
  type_everything(host);
  EXPECT_EQ(host.text(2), "sabay 1");  // the application's own typing
  EXPECT_EQ(host.composition(2), std::nullopt);
  EXPECT_FALSE(host.candidates_visible());
  EXPECT_EQ(host.button_text(), "\xE1\x9E\x81");  // still Khmer mode

  host.focus(1);
  host.deactivate();
  EXPECT_EQ(host.learned_file(), learned);
  // Leaving the field brings typing back.
  ASSERT_EQ(host.activate(), S_OK);
  host.type("sab");
  EXPECT_EQ(host.composition(1), "sab");
}

TEST_F(Fields, NumberFieldsAndDisabledKeyboardsGetTheirKeys) {
  host.doc(2).set_input_scopes(std::vector<InputScope>{IS_TELEPHONE_FULLTELEPHONENUMBER});
  host.focus(2);
  type_everything(host);
  EXPECT_EQ(host.composition(2), std::nullopt);

  host.focus(1);
  host.doc(1).set_keyboard_disabled(true);
  type_everything(host);
  host.doc(1).set_keyboard_disabled(false);
  host.doc(1).set_read_only(true);
  type_everything(host);
  host.doc(1).set_read_only(false);
  host.type("sab");
  EXPECT_EQ(host.composition(1), "sab");
}

// An application busy with a lock of its own when the focus arrives: the
// scopes are read later, and until then no key is claimed.
TEST_F(Fields, UntilTheScopesAreReadNoKeyIsClaimed) {
  host.doc(2).set_refuse_sync(true);
  host.focus(2);
  EXPECT_FALSE(host.tap('K'));
  EXPECT_FALSE(host.thread_mgr().last_answers().first);
  host.doc(2).set_refuse_sync(false);
  host.pump();
  EXPECT_TRUE(host.tap('K'));
  EXPECT_EQ(host.composition(2), "k");
}

}  // namespace
}  // namespace sorla::host
