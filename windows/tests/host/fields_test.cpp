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

// A read answered after the focus moved on belongs to the field it was made
// for: it neither makes a password field ordinary nor leaves a text field
// private.
TEST_F(Fields, ALateReadChangesOnlyItsOwnField) {
  host.doc(2).set_input_scopes(std::vector<InputScope>{IS_PASSWORD});
  host.focus(2);
  host.doc(1).set_refuse_sync(true);
  host.focus(1);  // its read waits in the queue
  host.focus(2);
  host.doc(1).set_refuse_sync(false);
  host.doc(1).run_queued();  // "ordinary text", for field 1
  type_everything(host);

  host.doc(2).set_refuse_sync(true);
  host.focus(2);
  host.focus(1);
  host.doc(2).set_refuse_sync(false);
  host.doc(2).run_queued();  // "password", for field 2
  host.type("sab");
  EXPECT_EQ(host.composition(1), "sab");
}

// An application that turns a field into a password box and back: the
// scopes are read again each time.
TEST_F(Fields, ScopesChangedByTheApplicationAreReadAgain) {
  host.doc(1).app_change_input_scopes({IS_PASSWORD});
  host.pump();
  type_everything(host);
  host.doc(1).app_change_input_scopes({IS_PRIVATE});
  host.pump();
  host.type("sab");
  EXPECT_EQ(host.composition(1), "sab");
}

// A read TSF never runs: each key tries it again, and after a while the
// field is taken for ordinary text rather than kept private for ever.
TEST_F(Fields, AFieldNeverReadIsNotPrivateForEver) {
  host.doc(2).set_refuse_sync(true);
  host.focus(2);
  EXPECT_FALSE(host.tap('K'));
  host.advance_ms(tsf::kFieldReadPatienceMs);
  EXPECT_TRUE(host.tap('K'));
  host.doc(2).set_refuse_sync(false);
  host.pump();
  EXPECT_EQ(host.composition(2), "k");
}

// A private window's field types as usual and learns nothing, its address
// bar is left to the application.
TEST_F(Fields, PrivateWindowsTypeButLearnNothing) {
  const std::string learned = host.learned_file();
  host.doc(2).set_input_scopes(std::vector<InputScope>{IS_URL, IS_PRIVATE});
  host.focus(2);
  type_everything(host);
  host.doc(1).set_input_scopes(std::vector<InputScope>{IS_PRIVATE});
  host.focus(1);
  const std::string word = host.text(1);  // typed and learned before
  host.type("sabay ");
  EXPECT_EQ(host.text(1), word + word);
  host.focus(2);
  host.deactivate();
  EXPECT_EQ(host.learned_file(), learned);
}

}  // namespace
}  // namespace sorla::host
