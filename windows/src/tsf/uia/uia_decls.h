// UI Automation declarations that mingw-w64's headers lack, written from the
// Windows SDK's UIAutomationCore.idl, UIAutomationCoreApi.h and
// UIAutomationClient.h. The rest comes from mingw-w64's <uiautomationcore.h>
// and <uiautomationclient.h>; include this header instead of them. (Its
// <uiautomationcoreapi.h> does not compile as C++: a parameter is named
// `new`. The functions are looked up at run time anyway, see core_calls.h.)
#pragma once

#include <windows.h>
// Windows headers must come first.
#include <ole2.h>
#include <uiautomationclient.h>
#include <uiautomationcore.h>

#ifndef UIA_E_ELEMENTNOTAVAILABLE
#define UIA_E_ELEMENTNOTAVAILABLE static_cast<HRESULT>(0x80040201)
#define UIA_E_INVALIDOPERATION static_cast<HRESULT>(0x80131509)
#endif
#ifndef UiaRootObjectId
#define UiaAppendRuntimeId 3
#define UiaRootObjectId -25
#endif

#ifndef UIA_MenuOpenedEventId
#define UIA_MenuOpenedEventId 20003
#define UIA_MenuClosedEventId 20007
#define UIA_SelectionItem_ElementSelectedEventId 20012
#endif
#ifndef UIA_ListItemControlTypeId
#define UIA_ListItemControlTypeId 50007
#define UIA_ListControlTypeId 50008
#endif

#ifndef __ISelectionProvider_INTERFACE_DEFINED__
#define __ISelectionProvider_INTERFACE_DEFINED__
MIDL_INTERFACE("fb8b03af-3bdf-48d4-bd36-1a65793be168")
ISelectionProvider : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetSelection(SAFEARRAY * *pRetVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CanSelectMultiple(BOOL * pRetVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_IsSelectionRequired(BOOL * pRetVal) = 0;
};
__CRT_UUID_DECL(ISelectionProvider, 0xfb8b03af, 0x3bdf, 0x48d4, 0xbd, 0x36, 0x1a, 0x65, 0x79, 0x3b,
                0xe1, 0x68)
#endif

#ifndef __ISelectionItemProvider_INTERFACE_DEFINED__
#define __ISelectionItemProvider_INTERFACE_DEFINED__
MIDL_INTERFACE("2acad808-b2d4-452d-a407-91ff1ad167b2")
ISelectionItemProvider : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Select() = 0;
  virtual HRESULT STDMETHODCALLTYPE AddToSelection() = 0;
  virtual HRESULT STDMETHODCALLTYPE RemoveFromSelection() = 0;
  virtual HRESULT STDMETHODCALLTYPE get_IsSelected(BOOL * pRetVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_SelectionContainer(IRawElementProviderSimple *
                                                           *pRetVal) = 0;
};
__CRT_UUID_DECL(ISelectionItemProvider, 0x2acad808, 0xb2d4, 0x452d, 0xa4, 0x07, 0x91, 0xff, 0x1a,
                0xd1, 0x67, 0xb2)
#endif
