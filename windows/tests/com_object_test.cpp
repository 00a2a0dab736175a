#include <gtest/gtest.h>

#include "com/com_ptr.h"
#include "com/object.h"
#include "com/object_count.h"
#include "dll/class_factory.h"
#include "tsf/service/text_service.h"

namespace sorla::com {
namespace {

using tsf::TextService;

// The interfaces the text service answers, each by its own IID.
const IID* const kServiceIids[] = {
    &__uuidof(ITfTextInputProcessor), &__uuidof(ITfTextInputProcessorEx),
    &__uuidof(ITfKeyEventSink),       &__uuidof(ITfThreadMgrEventSink),
    &__uuidof(ITfCompositionSink),    &__uuidof(ITfDisplayAttributeProvider),
    &__uuidof(ITfTextEditSink),       &__uuidof(IUnknown)};

template <class T>
ComPtr<IUnknown> identity_of(T* p) {
  ComPtr<IUnknown> id;
  EXPECT_EQ(p->QueryInterface(__uuidof(IUnknown), id.put_void()), S_OK);
  return id;
}

TEST(ComObject, CreatingAndReleasingLeavesObjectCount) {
  const std::int64_t before = object_count();
  {
    auto service = make_object<TextService>();
    auto factory = make_object<dll::ClassFactory>();
    EXPECT_EQ(object_count(), before + 2);
    EXPECT_EQ(service->AddRef(), 2u);
    EXPECT_EQ(service->Release(), 1u);
  }
  EXPECT_EQ(object_count(), before);
}

TEST(ComObject, EveryInterfaceLeadsToOneIdentity) {
  auto service = make_object<TextService>();
  const ComPtr<IUnknown> id = identity_of(service.get());
  for (const IID* iid : kServiceIids) {
    ComPtr<IUnknown> face;
    ASSERT_EQ(service->QueryInterface(*iid, face.put_void()), S_OK);
    ASSERT_TRUE(face);
    EXPECT_EQ(identity_of(face.get()).get(), id.get());
    // And back again from that interface to every other one.
    for (const IID* other : kServiceIids) {
      ComPtr<IUnknown> again;
      EXPECT_EQ(face->QueryInterface(*other, again.put_void()), S_OK);
    }
  }
}

TEST(ComObject, UnknownInterfaceLeavesNullAndCountUnchanged) {
  auto service = make_object<TextService>();
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(service->QueryInterface(__uuidof(IClassFactory), &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(service->QueryInterface(__uuidof(ITfLangBarItemButton), &out), E_NOINTERFACE);
  // Apartment objects: calls from other threads come through COM's proxies.
  EXPECT_EQ(service->QueryInterface(__uuidof(IMarshal), &out), E_NOINTERFACE);
  EXPECT_EQ(service->QueryInterface(__uuidof(IAgileObject), &out), E_NOINTERFACE);
  EXPECT_EQ(service->AddRef(), 2u);  // no reference was added by the failures
  service->Release();
  EXPECT_EQ(service->QueryInterface(__uuidof(IUnknown), nullptr), E_POINTER);
  out = reinterpret_cast<void*>(1);
  EXPECT_EQ(service->QueryInterface(*static_cast<const IID*>(nullptr), &out), E_POINTER);
  EXPECT_EQ(out, nullptr);
}

TEST(ComPtr, CopiesMovesAndQueries) {
  auto service = make_object<TextService>();
  ComPtr<TextService> copy = service;
  EXPECT_EQ(service->AddRef(), 3u);
  service->Release();
  ComPtr<TextService> moved = std::move(copy);
  EXPECT_FALSE(copy);
  ComPtr<ITfKeyEventSink> sink = moved.query<ITfKeyEventSink>();
  EXPECT_TRUE(sink);
  EXPECT_FALSE(moved.query<IClassFactory>());
  moved.reset();
  sink.reset();
  EXPECT_EQ(service->AddRef(), 2u);
  service->Release();
}

TEST(TextService, IsInertBeforeActivation) {
  auto service = make_object<TextService>();
  EXPECT_EQ(service->Activate(nullptr, 0), E_POINTER);
  EXPECT_EQ(service->Deactivate(), S_OK);
  BOOL eaten = TRUE;
  EXPECT_EQ(service->OnTestKeyDown(nullptr, 'A', 0, &eaten), S_OK);
  EXPECT_FALSE(eaten);
}

}  // namespace
}  // namespace sorla::com
