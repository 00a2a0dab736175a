// The edit sessions through which the text service reads and writes a
// document, one per purpose: OutputSession runs the plan of a key or click,
// EndSession ends a composition the service has let go (focus change,
// deactivation), CaretSession looks up where the composition is on screen,
// FieldSession reads the field's input scopes. TSF runs them, at once or
// later, with a cookie that grants the access they asked for.
#pragma once

#include <utility>

#include "com/object.h"
#include "sorla/edit_plan.h"
#include "tsf/edit/edit_host.h"
#include "tsf_decls.h"

namespace sorla::edit {

// What every session holds: its host, kept alive while TSF holds the
// session, and the context it reads or edits.
class ContextSession : public com::Object<ITfEditSession> {
 public:
  ContextSession(com::ComPtr<EditHost> host, com::ComPtr<ITfContext> context)
      : host_(std::move(host)), context_(std::move(context)) {}

 protected:
  com::ComPtr<EditHost> host_;
  com::ComPtr<ITfContext> context_;
};

class OutputSession final : public ContextSession {
 public:
  OutputSession(com::ComPtr<EditHost> host, com::ComPtr<ITfContext> context, EditPlan plan)
      : ContextSession(std::move(host), std::move(context)), plan_(std::move(plan)) {}
  HRESULT STDMETHODCALLTYPE DoEditSession(TfEditCookie ec) override;

 private:
  EditPlan plan_;
};

class EndSession final : public ContextSession {
 public:
  EndSession(com::ComPtr<EditHost> host, com::ComPtr<ITfContext> context,
             com::ComPtr<ITfComposition> composition, EditPlan plan)
      : ContextSession(std::move(host), std::move(context)),
        composition_(std::move(composition)),
        plan_(std::move(plan)) {}
  HRESULT STDMETHODCALLTYPE DoEditSession(TfEditCookie ec) override;

 private:
  com::ComPtr<ITfComposition> composition_;
  EditPlan plan_;
};

class CaretSession final : public ContextSession {
 public:
  using ContextSession::ContextSession;
  HRESULT STDMETHODCALLTYPE DoEditSession(TfEditCookie ec) override;
};

class FieldSession final : public ContextSession {
 public:
  using ContextSession::ContextSession;
  HRESULT STDMETHODCALLTYPE DoEditSession(TfEditCookie ec) override;
};

enum class RequestMode {
  SyncFirst,     // run now if TSF can, else let it run later
  AsyncAllowed,  // whenever TSF grants the lock
  SyncOnly,      // run now or not at all
};

// Asks TSF to run `plan` on the host's composition in `context`, now if TSF
// can, else later.
HRESULT request_output(EditHost& host, ITfContext* context, EditPlan plan);
// Asks TSF to end `composition`, which the host no longer holds, by `plan`.
HRESULT request_end(EditHost& host, ITfContext* context, com::ComPtr<ITfComposition> composition,
                    EditPlan plan, RequestMode mode);
// Asks TSF to look up the composition's screen position later.
void request_caret_lookup(EditHost& host, ITfContext* context);
// Asks TSF to read the field's input scopes, now if it can, else later (or
// never, SyncOnly); the host hears the field's kind when the read runs.
HRESULT request_field_read(EditHost& host, ITfContext* context,
                           RequestMode mode = RequestMode::SyncFirst);
// Whether an edit record reports a change of the field's input scopes.
bool scopes_changed(ITfEditRecord* record);

}  // namespace sorla::edit
