// Drives the built sorla.dll through its exports, as COM and TSF would.
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>

#include "com/com_ptr.h"
#include "dll/registration.h"
#include "guids.h"
#include "library.h"
#include "test_support.h"
#include "tsf_decls.h"

namespace sorla {
namespace {

using com::ComPtr;

using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using NoArgFn = HRESULT(STDAPICALLTYPE*)();

class SorlaDll : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    dll_.emplace(sorla::testing::exe_dir() / L"sorla.dll");
  }
  static void TearDownTestSuite() {
    dll_.reset();
    CoUninitialize();
  }
  void SetUp() override {
    ASSERT_TRUE(dll_->loaded()) << "sorla.dll not found beside the test program";
    get_class_object = dll_->entry<GetClassObjectFn>("DllGetClassObject");
    can_unload_now = dll_->entry<NoArgFn>("DllCanUnloadNow");
    ASSERT_NE(get_class_object, nullptr);
    ASSERT_NE(can_unload_now, nullptr);
    ASSERT_EQ(can_unload_now(), S_OK);
  }

  ComPtr<IClassFactory> factory() {
    ComPtr<IClassFactory> result;
    EXPECT_EQ(get_class_object(ids::kTextService, __uuidof(IClassFactory), result.put_void()),
              S_OK);
    return result;
  }

  static inline std::optional<sorla::testing::Library> dll_;
  GetClassObjectFn get_class_object = nullptr;
  NoArgFn can_unload_now = nullptr;
};

TEST_F(SorlaDll, ClassObjectOnlyForTheTextService) {
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(get_class_object(ids::kProfile, __uuidof(IClassFactory), &out),
            CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(get_class_object(ids::kTextService, __uuidof(IClassFactory), nullptr), E_POINTER);
  out = reinterpret_cast<void*>(1);
  EXPECT_EQ(get_class_object(ids::kTextService, __uuidof(ITfKeyEventSink), &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(can_unload_now(), S_OK);  // the factories made above are gone again
}

TEST_F(SorlaDll, ObjectsKeepTheDllLoaded) {
  {
    ComPtr<IClassFactory> f = factory();
    EXPECT_EQ(can_unload_now(), S_FALSE);
    ComPtr<ITfTextInputProcessor> service;
    ASSERT_EQ(f->CreateInstance(nullptr, __uuidof(ITfTextInputProcessor), service.put_void()),
              S_OK);
    f.reset();
    EXPECT_EQ(can_unload_now(), S_FALSE);
    EXPECT_EQ(service->Activate(nullptr, 0), E_POINTER);  // no thread manager
  }
  EXPECT_EQ(can_unload_now(), S_OK);
}

TEST_F(SorlaDll, NoAggregationAndNothingCreated) {
  ComPtr<IClassFactory> f = factory();
  ComPtr<IUnknown> outer;
  ASSERT_EQ(f->QueryInterface(__uuidof(IUnknown), outer.put_void()), S_OK);
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(f->CreateInstance(outer.get(), __uuidof(IUnknown), &out), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(out, nullptr);
  outer.reset();
  f.reset();
  EXPECT_EQ(can_unload_now(), S_OK);
}

TEST_F(SorlaDll, LockServerHoldsTheDll) {
  ComPtr<IClassFactory> f = factory();
  EXPECT_EQ(f->LockServer(TRUE), S_OK);
  f.reset();
  EXPECT_EQ(can_unload_now(), S_FALSE);
  f = factory();
  EXPECT_EQ(f->LockServer(FALSE), S_OK);
  f.reset();
  EXPECT_EQ(can_unload_now(), S_OK);
}

TEST_F(SorlaDll, ServiceIdentityAcrossInterfaces) {
  ComPtr<ITfKeyEventSink> sink;
  ASSERT_EQ(factory()->CreateInstance(nullptr, __uuidof(ITfKeyEventSink), sink.put_void()), S_OK);
  ComPtr<ITfTextInputProcessorEx> processor = sink.query<ITfTextInputProcessorEx>();
  ASSERT_TRUE(processor);
  EXPECT_EQ(sink.query<IUnknown>().get(), processor.query<IUnknown>().get());
  EXPECT_FALSE(processor.query<IClassFactory>());
}

// The branding icon where the profile registers it and the taskbar's input
// indicator looks: in sorla.dll, at the registered icon index.
TEST(SorlaIcon, TheDllHoldsItAtTheRegisteredIndex) {
  const auto path = sorla::testing::exe_dir() / L"sorla.dll";
  for (const int size : {16, 32, 48}) {
    HICON icon = nullptr;
    ASSERT_EQ(PrivateExtractIconsW(path.c_str(), static_cast<int>(dll::kIconIndex), size, size,
                                   &icon, nullptr, 1, 0),
              1u)
        << size;
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP bitmap{};
    ASSERT_TRUE(GetObjectW(info.hbmColor, sizeof(bitmap), &bitmap));
    EXPECT_EQ(bitmap.bmWidth, size);
    EXPECT_EQ(bitmap.bmHeight, size);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
  }
}

}  // namespace
}  // namespace sorla
