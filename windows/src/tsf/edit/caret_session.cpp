#include "com/boundary.h"
#include "tsf/edit/edit_steps.h"
#include "tsf/edit/sessions.h"
#include "tsf/window/candidate_window.h"

namespace sorla::edit {

using com::ComPtr;

HRESULT CaretSession::DoEditSession(TfEditCookie ec) {
  return com::guarded([&] {
    std::optional<window::Rect> rect;
    if (const ComPtr<ITfComposition> composition = host_->composition()) {
      ComPtr<ITfRange> range;
      if (SUCCEEDED(composition->GetRange(range.put())) && range) {
        rect = text_extent(context_.get(), ec, range.get());
      }
      // An application that cannot tell where its text is may still show a
      // caret of its own.
      if (!rect) rect = window::CandidateWindow::caret_from_gui_thread();
      if (rect && !counts(*rect)) rect.reset();
    }
    host_->caret_found(rect);
    return S_OK;
  });
}

}  // namespace sorla::edit
