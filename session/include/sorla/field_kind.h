// What a text field asks of the input method, from the input scopes the
// application gives it (Windows' InputScope values).
#pragma once

#include <span>

namespace sorla {

enum class FieldKind {
  Text,     // ordinary text: Khmer typing as usual
  NoLearn,  // a browser's private window: typing as usual, nothing learned
  Plain,    // numbers, addresses, dates: keys go through as in English mode
  Private,  // passwords and PINs: keys go through, nothing is shown or learned
};

// A field with any password or PIN scope is Private; one whose scopes, the
// private-window mark (IS_PRIVATE) aside, are all of the Plain kind is Plain;
// else a marked one is NoLearn, and anything else, no scopes included, Text.
FieldKind field_kind(std::span<const int> scopes);

}  // namespace sorla
