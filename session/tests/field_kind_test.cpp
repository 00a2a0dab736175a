#include "sorla/field_kind.h"

#include <gtest/gtest.h>

#include <vector>

namespace sorla {
namespace {

FieldKind kind(std::vector<int> scopes) { return field_kind(scopes); }

TEST(FieldKind, PasswordsWinNumbersNeedAllScopes) {
  EXPECT_EQ(kind({}), FieldKind::Text);
  EXPECT_EQ(kind({0}), FieldKind::Text);         // IS_DEFAULT
  EXPECT_EQ(kind({31}), FieldKind::Private);     // IS_PASSWORD
  EXPECT_EQ(kind({0, 64}), FieldKind::Private);  // with IS_NUMERIC_PIN
  EXPECT_EQ(kind({29, 32}), FieldKind::Plain);   // IS_NUMBER, a telephone number
  EXPECT_EQ(kind({5}), FieldKind::Plain);        // an e-mail address
  EXPECT_EQ(kind({29, 58}), FieldKind::Text);    // or chat: Khmer may be meant
  EXPECT_EQ(kind({7}), FieldKind::Text);         // a person's name
}

// A private window's fields learn nothing; its address bar and its password
// boxes are what they would be anywhere.
TEST(FieldKind, PrivateWindowsLearnNothing) {
  EXPECT_EQ(kind({61}), FieldKind::NoLearn);         // IS_PRIVATE alone
  EXPECT_EQ(kind({57, 61}), FieldKind::NoLearn);     // with IS_TEXT
  EXPECT_EQ(kind({1, 61}), FieldKind::Plain);        // IS_URL: the address bar
  EXPECT_EQ(kind({61, 31}), FieldKind::Private);     // a password
  EXPECT_EQ(kind({61, 1, 58}), FieldKind::NoLearn);  // an address or chat
}

}  // namespace
}  // namespace sorla
