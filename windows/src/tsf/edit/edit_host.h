// What the edit sessions need of the text service that asks for them: who it
// is to TSF, what an edit starts from, and where to hand back what an edit
// found. The service implements it; the sessions know nothing else of it.
#pragma once

#include <optional>

#include "com/com_ptr.h"
#include "sorla/field_kind.h"
#include "tsf/window/layout.h"
#include "tsf_decls.h"

namespace sorla::edit {

// What an edit of the composition works with.
struct EditStart {
  com::ComPtr<ITfComposition> composition;  // the one open now, if any
  std::optional<TfGuidAtom> atom;           // of the composition's display attribute
  ITfCompositionSink* sink;                 // told when the application ends a composition
};

class EditHost {
 public:
  // A session keeps its host alive while TSF holds it.
  virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
  virtual ULONG STDMETHODCALLTYPE Release() = 0;

  virtual TfClientId client_id() = 0;
  // An edit of the host's own begins: the end-of-edit notice it causes is no
  // change by the user.
  virtual EditStart begin_edit() = 0;
  // What an edit left in `context`: the composition (none when it ended) and
  // where its text is on screen (none when not known); the UI follows.
  virtual void edit_done(ITfContext* context, com::ComPtr<ITfComposition> composition,
                         std::optional<window::Rect> caret) = 0;
  // A composition the host had already let go of has ended.
  virtual void composition_finished() = 0;
  // The composition open now, for a late look-up of where it is.
  virtual com::ComPtr<ITfComposition> composition() = 0;
  // Where the composition's text is on screen, when a look-up found it; the
  // UI follows.
  virtual void caret_found(std::optional<window::Rect> caret) = 0;
  // The kind of `context`'s field, from its input scopes. A late read from a
  // context that no longer has the focus changes nothing.
  virtual void field_read(ITfContext* context, FieldKind kind) = 0;

 protected:
  ~EditHost() = default;
};

}  // namespace sorla::edit
