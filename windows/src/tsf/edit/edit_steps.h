// The small TSF steps the edit sessions are made of. Each takes the edit
// cookie of the running session and returns the first failing HRESULT.
#pragma once

#include <optional>
#include <string_view>

#include "tsf/window/layout.h"
#include "tsf_decls.h"

namespace sorla::edit {

// Applies the display attribute to `range`; nothing without an atom.
HRESULT mark_range(ITfContext* context, TfEditCookie ec, ITfRange* range,
                   std::optional<TfGuidAtom> atom);
// Removes any display attribute from `range`; failures do not matter.
void unmark_range(ITfContext* context, TfEditCookie ec, ITfRange* range);
// Puts the caret (an empty selection) at the end of `range`.
HRESULT caret_to_end(ITfContext* context, TfEditCookie ec, ITfRange* range);
// The screen rectangle of `range`; none when the call fails or the
// rectangle is empty in both directions.
std::optional<window::Rect> text_extent(ITfContext* context, TfEditCookie ec, ITfRange* range);
// Deletes `text` (UTF-16) from just before the selection start, but only
// when exactly that text stands there. A mismatch is not a failure.
HRESULT retract_before_selection(ITfContext* context, TfEditCookie ec, std::wstring_view text);
// Ends `composition`, leaving its text as final text without the display
// attribute.
HRESULT end_composition(ITfContext* context, TfEditCookie ec, ITfComposition* composition);
// The window of the context's active view; none when it has none.
HWND view_window(ITfContext* context);
// Whether a rectangle tells where the text is.
bool counts(const window::Rect& rect);

}  // namespace sorla::edit
