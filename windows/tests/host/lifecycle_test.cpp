// Activation and deactivation: what the service registers with TSF, what
// it takes down again, and that nothing of it outlives the service.
#include <gtest/gtest.h>

#include "com/object_count.h"
#include "host/host.h"

namespace sorla::host {
namespace {

TEST(Lifecycle, ActivationAdvisesEverythingAndDeactivationUndoesIt) {
  Host host;
  ASSERT_EQ(host.activate(), S_OK);
  EXPECT_TRUE(host.thread_mgr().key_sink());
  EXPECT_EQ(host.thread_mgr().event_sink_count(), 1u);
  EXPECT_EQ(host.thread_mgr().items().size(), 1u);
  EXPECT_EQ(host.doc().edit_sink_count(), 1u);
  host.type("sab");
  host.deactivate();
  // The letters were committed as typed.
  EXPECT_EQ(host.text(), "sab");
  EXPECT_EQ(host.composition(), std::nullopt);
  EXPECT_FALSE(host.thread_mgr().key_sink());
  EXPECT_EQ(host.thread_mgr().event_sink_count(), 0u);
  EXPECT_TRUE(host.thread_mgr().items().empty());
  EXPECT_EQ(host.doc().edit_sink_count(), 0u);
  EXPECT_FALSE(host.candidates_visible());
  // An inactive service lets every key through.
  BOOL eaten = TRUE;
  EXPECT_EQ(host.service().OnTestKeyDown(nullptr, 'A', 1, &eaten), S_OK);
  EXPECT_FALSE(eaten);
}

TEST(Lifecycle, NothingOutlivesTheHostAndTheService) {
  const std::int64_t before = com::object_count();
  {
    Host host;
    ASSERT_EQ(host.activate(), S_OK);
    host.type("sabay sab");
    host.focus(2);
    host.type("ab");
    host.deactivate();
  }
  EXPECT_EQ(com::object_count(), before);
}

TEST(Lifecycle, ActivationOverAnActiveServiceStartsAfresh) {
  Host host;
  ASSERT_EQ(host.activate(), S_OK);
  host.type("sab");
  ASSERT_EQ(host.activate(), S_OK);
  EXPECT_EQ(host.text(), "sab");  // the old session's word was committed
  EXPECT_EQ(host.thread_mgr().items().size(), 1u);
  EXPECT_EQ(host.thread_mgr().event_sink_count(), 1u);
  host.type("sabay");
  EXPECT_EQ(host.composition(), "sabay");
  EXPECT_TRUE(host.candidates_visible());
}

TEST(Lifecycle, ActivationFailures) {
  Host host;
  EXPECT_EQ(host.service().Activate(nullptr, kClient), E_POINTER);
  // A thread manager without a keystroke manager: everything is undone.
  class Bare final : public com::Object<ITfThreadMgr> {
   public:
    HRESULT STDMETHODCALLTYPE Activate(TfClientId*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Deactivate() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateDocumentMgr(ITfDocumentMgr**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumDocumentMgrs(IEnumTfDocumentMgrs**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetFocus(ITfDocumentMgr**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetFocus(ITfDocumentMgr*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AssociateFocus(HWND, ITfDocumentMgr*, ITfDocumentMgr**) override {
      return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE IsThreadFocus(BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetFunctionProvider(REFCLSID, ITfFunctionProvider**) override {
      return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE EnumFunctionProviders(IEnumTfFunctionProviders**) override {
      return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetGlobalCompartment(ITfCompartmentMgr**) override {
      return E_NOTIMPL;
    }
  };
  const auto bare = com::make_object<Bare>();
  EXPECT_EQ(host.service().Activate(bare.get(), kClient), E_NOINTERFACE);
  BOOL eaten = TRUE;
  host.service().OnTestKeyDown(nullptr, 'A', 1, &eaten);
  EXPECT_FALSE(eaten);
}

TEST(Lifecycle, TheDisplayAttributeIsProvided) {
  Host host;
  ComPtr<IEnumTfDisplayAttributeInfo> all;
  ASSERT_EQ(host.service().EnumDisplayAttributeInfo(all.put()), S_OK);
  ITfDisplayAttributeInfo* infos[2] = {};
  ULONG fetched = 7;
  EXPECT_EQ(all->Next(2, infos, &fetched), S_FALSE);
  ASSERT_EQ(fetched, 1u);
  const auto first = ComPtr<ITfDisplayAttributeInfo>::adopt(infos[0]);
  EXPECT_EQ(all->Next(1, infos, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 0u);
  ComPtr<IEnumTfDisplayAttributeInfo> copy;
  ASSERT_EQ(all->Clone(copy.put()), S_OK);
  EXPECT_EQ(copy->Skip(1), S_FALSE);
  EXPECT_EQ(all->Reset(), S_OK);
  EXPECT_EQ(all->Skip(1), S_OK);
  all->Reset();
  EXPECT_EQ(all->Next(1, infos, nullptr), S_OK);
  ComPtr<ITfDisplayAttributeInfo>::adopt(infos[0]);

  GUID guid{};
  first->GetGUID(&guid);
  TF_DISPLAYATTRIBUTE attribute{};
  ASSERT_EQ(first->GetAttributeInfo(&attribute), S_OK);
  EXPECT_EQ(attribute.lsStyle, TF_LS_DOT);
  EXPECT_EQ(attribute.crText.type, TF_CT_NONE);
  EXPECT_EQ(attribute.bAttr, TF_ATTR_INPUT);
  EXPECT_EQ(first->GetAttributeInfo(nullptr), E_INVALIDARG);
  BSTR description = nullptr;
  ASSERT_EQ(first->GetDescription(&description), S_OK);
  EXPECT_STREQ(description, L"Sorla: the word being typed");
  SysFreeString(description);

  ComPtr<ITfDisplayAttributeInfo> info;
  EXPECT_EQ(host.service().GetDisplayAttributeInfo(guid, info.put()), S_OK);
  EXPECT_TRUE(info);
  EXPECT_EQ(host.service().GetDisplayAttributeInfo(GUID_NULL, info.put()), E_INVALIDARG);
  EXPECT_FALSE(info);
}

}  // namespace
}  // namespace sorla::host
