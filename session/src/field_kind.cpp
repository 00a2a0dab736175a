#include "sorla/field_kind.h"

#include <algorithm>

namespace sorla {
namespace {

// Secrets: their letters must never reach the composition, the candidate
// row or the learned picks.
constexpr int kPrivate[] = {
    31,  // IS_PASSWORD
    63,  // IS_NUMERIC_PASSWORD
    64,  // IS_NUMERIC_PIN
    65,  // IS_ALPHANUMERIC_PIN
    66,  // IS_ALPHANUMERIC_PIN_SET
};

// Fields whose text is Latin letters, digits or symbols by nature: a Khmer
// word is never what the user means there.
constexpr int kPlain[] = {
    1,                       // IS_URL
    2,  3,                   // IS_FILE_FULLFILEPATH, IS_FILE_FILENAME
    4,  5,                   // IS_EMAIL_USERNAME, IS_EMAIL_SMTPEMAILADDRESS
    6,                       // IS_LOGINNAME
    14,                      // IS_ADDRESS_POSTALCODE
    20, 21,                  // IS_CURRENCY_AMOUNTANDSYMBOL, IS_CURRENCY_AMOUNT
    22, 23, 24, 25, 26, 27,  // IS_DATE_*
    28, 29,                  // IS_DIGITS, IS_NUMBER
    32, 33, 34, 35,          // IS_TELEPHONE_*
    36, 37, 38,              // IS_TIME_*
    39,                      // IS_NUMBER_FULLWIDTH
    60,                      // IS_EMAILNAME_OR_ADDRESS
    67,                      // IS_FORMULA_NUMBER
};

// A browser's private window marks its fields so: what is typed there must
// leave no trace, yet an address bar in it stays an address bar.
constexpr int kPrivateWindow = 61;  // IS_PRIVATE

template <std::size_t N>
bool among(const int (&list)[N], int scope) {
  return std::find(std::begin(list), std::end(list), scope) != std::end(list);
}

}  // namespace

FieldKind field_kind(std::span<const int> scopes) {
  if (std::any_of(scopes.begin(), scopes.end(), [](int s) { return among(kPrivate, s); })) {
    return FieldKind::Private;
  }
  const auto marked = [](int s) { return s == kPrivateWindow; };
  const bool no_learn = std::any_of(scopes.begin(), scopes.end(), marked);
  const bool any_other = !std::all_of(scopes.begin(), scopes.end(), marked);
  if (any_other && std::all_of(scopes.begin(), scopes.end(),
                               [&](int s) { return marked(s) || among(kPlain, s); })) {
    return FieldKind::Plain;
  }
  return no_learn ? FieldKind::NoLearn : FieldKind::Text;
}

}  // namespace sorla
