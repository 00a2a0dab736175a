// The edit sessions through which the text service writes to a document,
// one per purpose: OutputSession runs the plan of a key or click,
// EndSession ends a composition the service has let go (focus change,
// deactivation), CaretSession looks up where the composition is on screen.
// TSF runs them, at once or later, with a cookie that grants the access they
// asked for.
#pragma once

#include "com/object.h"
#include "sorla/edit_plan.h"
#include "tsf_decls.h"

namespace sorla::tsf {
class TextService;
}

namespace sorla::edit {

class OutputSession final : public com::Object<ITfEditSession> {
 public:
  OutputSession(com::ComPtr<tsf::TextService> service, com::ComPtr<ITfContext> context,
                EditPlan plan);
  ~OutputSession() override;
  HRESULT STDMETHODCALLTYPE DoEditSession(TfEditCookie ec) override;

 private:
  com::ComPtr<tsf::TextService> service_;
  com::ComPtr<ITfContext> context_;
  EditPlan plan_;
};

class EndSession final : public com::Object<ITfEditSession> {
 public:
  EndSession(com::ComPtr<tsf::TextService> service, com::ComPtr<ITfContext> context,
             com::ComPtr<ITfComposition> composition, EditPlan plan);
  ~EndSession() override;
  HRESULT STDMETHODCALLTYPE DoEditSession(TfEditCookie ec) override;

 private:
  com::ComPtr<tsf::TextService> service_;
  com::ComPtr<ITfContext> context_;
  com::ComPtr<ITfComposition> composition_;
  EditPlan plan_;
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

// Asks TSF to run `plan` on the service's composition in `context`. A
// refused synchronous request is made again as an asynchronous one.
HRESULT request_output(tsf::TextService& service, ITfContext* context, EditPlan plan);
// Asks TSF to end `composition`, which the service no longer holds, by `plan`.
HRESULT request_end(tsf::TextService& service, ITfContext* context,
                    com::ComPtr<ITfComposition> composition, EditPlan plan, RequestMode mode);
// Asks TSF to look up the composition's screen position later.
void request_caret_lookup(tsf::TextService& service, ITfContext* context);

}  // namespace sorla::edit
