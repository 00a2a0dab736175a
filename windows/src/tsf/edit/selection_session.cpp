#include "tsf/edit/selection_session.h"

#include <memory>

#include "com/boundary.h"
#include "com/object.h"

namespace sorla::edit {
namespace {

using com::ComPtr;

class SelectionSession final : public com::Object<ITfEditSession> {
 public:
  SelectionSession(ComPtr<ITfContext> context, std::shared_ptr<std::wstring> text)
      : context_(std::move(context)), text_(std::move(text)) {}

  HRESULT STDMETHODCALLTYPE DoEditSession(TfEditCookie ec) override {
    return com::guarded([&] {
      TF_SELECTION selection{};
      ULONG fetched = 0;
      if (FAILED(context_->GetSelection(ec, TF_DEFAULT_SELECTION, 1, &selection, &fetched)) ||
          fetched != 1) {
        return S_OK;
      }
      const auto range = ComPtr<ITfRange>::adopt(selection.range);
      // One more than the limit, to tell a selection that is too long.
      WCHAR buffer[kSelectionReadLimit + 1];
      ULONG got = 0;
      if (SUCCEEDED(range->GetText(ec, 0, buffer, kSelectionReadLimit + 1, &got)) &&
          got <= kSelectionReadLimit) {
        text_->assign(buffer, got);
      }
      return S_OK;
    });
  }

 private:
  ComPtr<ITfContext> context_;
  // Shared: nothing but a synchronous run is asked for, yet the session
  // object may outlive the call in TSF's hands.
  std::shared_ptr<std::wstring> text_;
};

}  // namespace

std::wstring read_selection(ITfContext* context, TfClientId client) {
  if (context == nullptr) return {};
  auto text = std::make_shared<std::wstring>();
  const auto session =
      com::make_object<SelectionSession>(ComPtr<ITfContext>::retain(context), text);
  HRESULT result = S_OK;
  context->RequestEditSession(client, session.get(), TF_ES_SYNC | TF_ES_READ, &result);
  return *text;
}

}  // namespace sorla::edit
