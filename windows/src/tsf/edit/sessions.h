// The edit sessions through which the text service writes to a document:
// UpdateSession applies one EditRecord, CaretSession looks up where the
// composition is on screen. TSF runs them, at once or later, with a cookie
// that grants the access they asked for.
#pragma once

#include "com/object.h"
#include "tsf/edit/edit_record.h"
#include "tsf_decls.h"

namespace sorla::tsf {
class TextService;
}

namespace sorla::edit {

class UpdateSession final : public com::Object<ITfEditSession> {
 public:
  UpdateSession(com::ComPtr<tsf::TextService> service, com::ComPtr<ITfContext> context,
                EditRecord record);
  ~UpdateSession() override;

  HRESULT STDMETHODCALLTYPE DoEditSession(TfEditCookie ec) override;

 private:
  HRESULT finish_composition(TfEditCookie ec);
  HRESULT apply(TfEditCookie ec);

  com::ComPtr<tsf::TextService> service_;
  com::ComPtr<ITfContext> context_;
  EditRecord record_;
};

class CaretSession final : public com::Object<ITfEditSession> {
 public:
  CaretSession(com::ComPtr<tsf::TextService> service, com::ComPtr<ITfContext> context);
  ~CaretSession() override;

  HRESULT STDMETHODCALLTYPE DoEditSession(TfEditCookie ec) override;

 private:
  com::ComPtr<tsf::TextService> service_;
  com::ComPtr<ITfContext> context_;
};

enum class RequestMode {
  sync_first,     // run now if TSF can, else let it run later
  async_allowed,  // whenever TSF grants the lock
};

// Asks TSF to run an UpdateSession for `record` on `context`. A refused
// synchronous request is made again as an asynchronous one.
HRESULT request_update(tsf::TextService& service, ITfContext* context, EditRecord record,
                       RequestMode mode);
// Asks TSF to look up the composition's screen position later.
void request_caret_lookup(tsf::TextService& service, ITfContext* context);

}  // namespace sorla::edit
