// Runs an edit plan through TSF inside an edit session.
#pragma once

#include <optional>

#include "com/com_ptr.h"
#include "sorla/edit_plan.h"
#include "tsf/window/layout.h"
#include "tsf_decls.h"

namespace sorla::edit {

// What a plan works on and what it leaves: the composition (started, kept
// or ended by the plan) and where its text now is on screen.
struct PlanTarget {
  ITfContext* context;
  TfEditCookie ec;
  std::optional<TfGuidAtom> atom;  // of the composition's display attribute
  ITfCompositionSink* sink;        // told when the application ends a composition
  com::ComPtr<ITfComposition> composition;
  std::optional<window::Rect> caret;
  bool caret_unknown = false;  // the composition has text but no extent yet
};

// Runs the edits in order; the first failing HRESULT stops it.
HRESULT run_plan(PlanTarget& target, const EditPlan& plan);

}  // namespace sorla::edit
