// What the focused field wants from the input method: its input scopes, read
// in an edit session at each focus change, and the keyboard compartments the
// application may set at any time.
#pragma once

#include "sorla/field_kind.h"
#include "tsf_decls.h"

namespace sorla::tsf {

class TextService;

// Reads `context`'s input scopes (now if TSF lets it, else soon) and hands
// the service the field's kind; until then the field counts as private. A
// context whose scopes cannot be read (the call fails, as under Wine) is an
// ordinary text field.
void request_field_read(TextService& service, ITfContext* context);

// GUID_COMPARTMENT_KEYBOARD_DISABLED or GUID_COMPARTMENT_EMPTYCONTEXT set on
// the context: the application takes its keys itself.
bool keyboard_off(ITfContext* context);

}  // namespace sorla::tsf
