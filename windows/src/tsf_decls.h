// TSF declarations that mingw-w64's headers lack, written from the Windows
// SDK's interface definitions (msctf.idl, ctfutb.idl). Everything else comes
// from <msctf.h> and <ctfutb.h>; include this header instead of those two.
#pragma once

#include <windows.h>
// Windows headers must come first.
#include <ctfutb.h>
#include <msctf.h>
#include <olectl.h>

// ITfInputProcessorProfileMgr::RegisterProfile / ActivateProfile flags.
#ifndef TF_IPPMF_FORPROCESS
#define TF_IPPMF_FORPROCESS 0x10000000
#define TF_IPPMF_FORSESSION 0x20000000
#define TF_IPPMF_FORSYSTEMALL 0x40000000
#define TF_IPPMF_ENABLEPROFILE 0x00000001
#define TF_IPPMF_DISABLEPROFILE 0x00000002
#define TF_IPPMF_DONTCARECURRENTINPUTLANGUAGE 0x00000004
#endif

// Language-bar item update flags, styles and status bits.
#ifndef TF_LBI_ICON
#define TF_LBI_ICON 0x00000001
#define TF_LBI_TEXT 0x00000002
#define TF_LBI_TOOLTIP 0x00000004
#define TF_LBI_BITMAP 0x00000008
#define TF_LBI_BALLOON 0x00000010
#define TF_LBI_CUSTOMUI 0x00000020
#define TF_LBI_STATUS 0x00010000
#endif
#ifndef TF_LBI_STYLE_HIDDENSTATUSCONTROL
#define TF_LBI_STYLE_HIDDENSTATUSCONTROL 0x00000001
#define TF_LBI_STYLE_SHOWNINTRAY 0x00000002
#define TF_LBI_STYLE_HIDEONNOTRAY 0x00000004
#define TF_LBI_STYLE_SHOWNINTRAYONLY 0x00000008
#define TF_LBI_STYLE_HIDDENBYDEFAULT 0x00000010
#define TF_LBI_STYLE_TEXTCOLORICON 0x00000020
#define TF_LBI_STYLE_BTN_BUTTON 0x00010000
#define TF_LBI_STYLE_BTN_MENU 0x00020000
#define TF_LBI_STYLE_BTN_TOGGLE 0x00040000
#endif
#ifndef TF_LBI_STATUS_HIDDEN
#define TF_LBI_STATUS_HIDDEN 0x00000001
#define TF_LBI_STATUS_DISABLED 0x00000002
#define TF_LBI_STATUS_BTN_TOGGLED 0x00010000
#endif

// Edit-session answers: a synchronous request refused while the
// application holds a lock, and a request queued to run later.
#ifndef TF_E_SYNCHRONOUS
#define TF_E_SYNCHRONOUS MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x0208)
#endif
#ifndef TF_S_ASYNC
#define TF_S_ASYNC MAKE_HRESULT(SEVERITY_SUCCESS, FACILITY_ITF, 0x0300)
#endif

// ITfThreadMgrEx::GetActiveFlags: the thread runs a Store (immersive) app.
#ifndef TF_TMF_IMMERSIVEMODE
#define TF_TMF_IMMERSIVEMODE 0x40000000
#endif

#ifndef TF_CLIENTID_NULL
#define TF_CLIENTID_NULL 0
#endif
#ifndef TF_INVALID_GUIDATOM
#define TF_INVALID_GUIDATOM 0
#endif

// Which mouse button clicked a language-bar item.
#ifndef __TfLBIClick_DEFINED__
#define __TfLBIClick_DEFINED__
typedef enum TfLBIClick { TF_LBI_CLK_RIGHT = 1, TF_LBI_CLK_LEFT = 2 } TfLBIClick;
#endif

#ifndef __ITfTextInputProcessorEx_INTERFACE_DEFINED__
#define __ITfTextInputProcessorEx_INTERFACE_DEFINED__
MIDL_INTERFACE("6e4e2102-f9cd-433d-b496-303ce03a6507")
ITfTextInputProcessorEx : public ITfTextInputProcessor {
  virtual HRESULT STDMETHODCALLTYPE ActivateEx(ITfThreadMgr * ptim, TfClientId tid,
                                               DWORD dwFlags) = 0;
};
__CRT_UUID_DECL(ITfTextInputProcessorEx, 0x6e4e2102, 0xf9cd, 0x433d, 0xb4, 0x96, 0x30, 0x3c, 0xe0,
                0x3a, 0x65, 0x07)
#endif

#ifndef __ITfDisplayAttributeProvider_INTERFACE_DEFINED__
#define __ITfDisplayAttributeProvider_INTERFACE_DEFINED__
MIDL_INTERFACE("fee47777-163c-4769-996a-6e9c50ad8f54")
ITfDisplayAttributeProvider : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE EnumDisplayAttributeInfo(IEnumTfDisplayAttributeInfo *
                                                             *ppEnum) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetDisplayAttributeInfo(REFGUID guid,
                                                            ITfDisplayAttributeInfo * *ppInfo) = 0;
};
__CRT_UUID_DECL(ITfDisplayAttributeProvider, 0xfee47777, 0x163c, 0x4769, 0x99, 0x6a, 0x6e, 0x9c,
                0x50, 0xad, 0x8f, 0x54)
#endif

#ifndef __ITfMenu_INTERFACE_DEFINED__
#define __ITfMenu_INTERFACE_DEFINED__
MIDL_INTERFACE("6f8a98e4-aaa0-4f15-8c5b-07e0df0a3dd8")
ITfMenu : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE AddMenuItem(UINT uId, DWORD dwFlags, HBITMAP hbmp,
                                                HBITMAP hbmpMask, const WCHAR* pch, ULONG cch,
                                                ITfMenu** ppMenu) = 0;
};
__CRT_UUID_DECL(ITfMenu, 0x6f8a98e4, 0xaaa0, 0x4f15, 0x8c, 0x5b, 0x07, 0xe0, 0xdf, 0x0a, 0x3d, 0xd8)
#endif

#ifndef __ITfLangBarItemButton_INTERFACE_DEFINED__
#define __ITfLangBarItemButton_INTERFACE_DEFINED__
MIDL_INTERFACE("28c7f1d0-de25-11d2-afdd-00105a2799b5")
ITfLangBarItemButton : public ITfLangBarItem {
  virtual HRESULT STDMETHODCALLTYPE OnClick(TfLBIClick click, POINT pt, const RECT* prcArea) = 0;
  virtual HRESULT STDMETHODCALLTYPE InitMenu(ITfMenu * pMenu) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnMenuSelect(UINT wID) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetIcon(HICON * phIcon) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetText(BSTR * pbstrText) = 0;
};
__CRT_UUID_DECL(ITfLangBarItemButton, 0x28c7f1d0, 0xde25, 0x11d2, 0xaf, 0xdd, 0x00, 0x10, 0x5a,
                0x27, 0x99, 0xb5)
#endif

// The candidate list as a UI element, for applications that draw candidates
// themselves (msctf.idl).
#ifndef TF_CLUIE_DOCUMENTMGR
#define TF_CLUIE_DOCUMENTMGR 0x00000001
#define TF_CLUIE_COUNT 0x00000002
#define TF_CLUIE_SELECTION 0x00000004
#define TF_CLUIE_STRING 0x00000008
#define TF_CLUIE_PAGEINDEX 0x00000010
#define TF_CLUIE_CURRENTPAGE 0x00000020
#endif

#ifndef __ITfCandidateListUIElement_INTERFACE_DEFINED__
#define __ITfCandidateListUIElement_INTERFACE_DEFINED__
MIDL_INTERFACE("ea1ea138-19df-11d7-a6d2-00065b84435c")
ITfCandidateListUIElement : public ITfUIElement {
  virtual HRESULT STDMETHODCALLTYPE GetUpdatedFlags(DWORD * flags) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetDocumentMgr(ITfDocumentMgr * *document) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetCount(UINT * count) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetSelection(UINT * index) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetString(UINT index, BSTR * text) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetPageIndex(UINT * index, UINT size, UINT * page_count) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetPageIndex(UINT * index, UINT page_count) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetCurrentPage(UINT * page) = 0;
};
__CRT_UUID_DECL(ITfCandidateListUIElement, 0xea1ea138, 0x19df, 0x11d7, 0xa6, 0xd2, 0x00, 0x06, 0x5b,
                0x84, 0x43, 0x5c)
#endif

#ifndef __ITfCandidateListUIElementBehavior_INTERFACE_DEFINED__
#define __ITfCandidateListUIElementBehavior_INTERFACE_DEFINED__
MIDL_INTERFACE("85fad185-58ce-497a-9460-355366b64b9a")
ITfCandidateListUIElementBehavior : public ITfCandidateListUIElement {
  virtual HRESULT STDMETHODCALLTYPE SetSelection(UINT index) = 0;
  virtual HRESULT STDMETHODCALLTYPE Finalize() = 0;
  virtual HRESULT STDMETHODCALLTYPE Abort() = 0;
};
__CRT_UUID_DECL(ITfCandidateListUIElementBehavior, 0x85fad185, 0x58ce, 0x497a, 0x94, 0x60, 0x35,
                0x53, 0x66, 0xb6, 0x4b, 0x9a)
#endif
