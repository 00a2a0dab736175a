// Reads the text the user selected in a document: what "Add a word…" starts
// from.
#pragma once

#include <string>

#include "tsf_decls.h"

namespace sorla::edit {

// At most this many characters are read; a longer selection is no word.
inline constexpr unsigned kSelectionReadLimit = 64;

// The selection's text, read in a synchronous read-only edit session; empty
// when there is none, it is longer than kSelectionReadLimit, or TSF cannot
// run the session now.
std::wstring read_selection(ITfContext* context, TfClientId client);

}  // namespace sorla::edit
