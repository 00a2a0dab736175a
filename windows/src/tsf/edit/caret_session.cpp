#include "com/boundary.h"
#include "tsf/edit/edit_steps.h"
#include "tsf/edit/sessions.h"
#include "tsf/service/text_service.h"
#include "tsf/window/candidate_window.h"

namespace sorla::edit {

using com::ComPtr;

CaretSession::CaretSession(ComPtr<tsf::TextService> service, ComPtr<ITfContext> context)
    : service_(std::move(service)), context_(std::move(context)) {}

CaretSession::~CaretSession() = default;

HRESULT CaretSession::DoEditSession(TfEditCookie ec) {
  return com::guarded([&] {
    if (const ComPtr<ITfComposition> composition = service_->composition()) {
      ComPtr<ITfRange> range;
      std::optional<window::Rect> rect;
      if (SUCCEEDED(composition->GetRange(range.put())) && range) {
        rect = text_extent(context_.get(), ec, range.get());
      }
      // An application that cannot tell where its text is may still show a
      // caret of its own.
      if (!rect) rect = window::CandidateWindow::caret_from_gui_thread();
      if (rect && counts(*rect)) service_->set_caret(rect);
    }
    service_->refresh_ui();
    return S_OK;
  });
}

}  // namespace sorla::edit
