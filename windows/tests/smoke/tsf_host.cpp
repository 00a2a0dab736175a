#include "smoke/tsf_host.h"

#include "guids.h"

namespace sorla::smoke {

using com::ComPtr;

namespace {

constexpr CLSID kThreadMgrClass = {
    0x529A9E6B, 0x6587, 0x4F23, {0xAB, 0x9E, 0x9C, 0x7D, 0x68, 0x3E, 0x3C, 0x50}};

}  // namespace

void press(ITfKeystrokeMgr* keys, WPARAM key) {
  BOOL eaten = FALSE;
  keys->TestKeyDown(key, 1, &eaten);
  if (eaten) keys->KeyDown(key, 1, &eaten);
  eaten = FALSE;
  keys->TestKeyUp(key, 0xC0000001, &eaten);
  if (eaten) keys->KeyUp(key, 0xC0000001, &eaten);
}

std::unique_ptr<Document> Document::open(const StepReport& step) {
  auto doc = std::make_unique<Document>();
  step(CoCreateInstance(kThreadMgrClass, nullptr, CLSCTX_INPROC_SERVER, __uuidof(ITfThreadMgr),
                        doc->wine_.put_void()),
       "Wine's thread manager");
  if (!doc->wine_) return nullptr;
  step(doc->wine_->Activate(&doc->host_id_), "thread manager activated");

  doc->store_ = com::make_object<TextStore>();
  TfEditCookie store_cookie = 0;
  step(doc->wine_->CreateDocumentMgr(doc->manager_.put()), "document manager");
  if (!doc->manager_) return nullptr;
  step(
      doc->manager_->CreateContext(doc->host_id_, 0, static_cast<ITextStoreACP*>(doc->store_.get()),
                                   doc->context_.put(), &store_cookie),
      "context over the text store");
  step(doc->manager_->Push(doc->context_.get()), "context pushed");
  step(doc->wine_->SetFocus(doc->manager_.get()), "document focused");

  if (const auto ids = doc->wine_.query<ITfClientId>()) {
    ids->GetClientId(ids::kTextService, &doc->service_id_);
  }
  doc->shim_ = com::make_object<Shim>(doc->wine_);
  return doc;
}

Document::~Document() {
  if (manager_) manager_->Pop(TF_POPF_ALL);
  if (!wine_) return;
  wine_->SetFocus(nullptr);
  context_.reset();
  manager_.reset();
  shim_.reset();
  wine_->Deactivate();
}

}  // namespace sorla::smoke
