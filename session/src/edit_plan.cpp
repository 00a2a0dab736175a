#include "sorla/edit_plan.h"

namespace sorla {

EditPlan plan_output(const SessionOutput& out, std::string_view typed, bool composing) {
  EditPlan plan;
  if (out.retract) plan.push_back({EditOp::Kind::TakeBack, *out.retract});
  if (!out.commit.empty()) {
    plan.push_back({EditOp::Kind::Commit, out.commit});
    composing = false;
  }
  if (!typed.empty()) {
    plan.push_back({EditOp::Kind::Compose, std::string(typed)});
  } else if (composing) {
    // The last letter went: the composition goes with nothing left in it.
    plan.push_back({EditOp::Kind::Compose, {}});
    plan.push_back({EditOp::Kind::EndComposition, {}});
  }
  return plan;
}

EditPlan plan_finish(std::string_view commit) {
  if (commit.empty()) return {{EditOp::Kind::EndComposition, {}}};
  return {{EditOp::Kind::Commit, std::string(commit)}};
}

}  // namespace sorla
