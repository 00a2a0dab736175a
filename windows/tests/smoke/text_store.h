// The smoke test's document: a plain ITextStoreACP over a UTF-16 string,
// doing what Wine's TSF asks of an application's text store.
#pragma once

#include <windows.h>
// Windows headers must come first.
#include <olectl.h>
#include <textstor.h>

#include <string>

#include "com/object.h"

namespace sorla::smoke {

class TextStore final : public com::Object<ITextStoreACP> {
 public:
  const std::wstring& text() const { return text_; }

  HRESULT STDMETHODCALLTYPE AdviseSink(REFIID iid, IUnknown* sink, DWORD mask) override;
  HRESULT STDMETHODCALLTYPE UnadviseSink(IUnknown* sink) override;
  HRESULT STDMETHODCALLTYPE RequestLock(DWORD flags, HRESULT* result) override;
  HRESULT STDMETHODCALLTYPE GetStatus(TS_STATUS* status) override;
  HRESULT STDMETHODCALLTYPE QueryInsert(LONG start, LONG end, ULONG, LONG* result_start,
                                        LONG* result_end) override;
  HRESULT STDMETHODCALLTYPE GetSelection(ULONG index, ULONG count, TS_SELECTION_ACP* selection,
                                         ULONG* fetched) override;
  HRESULT STDMETHODCALLTYPE SetSelection(ULONG count, const TS_SELECTION_ACP* selection) override;
  HRESULT STDMETHODCALLTYPE GetText(LONG start, LONG end, WCHAR* plain, ULONG plain_max,
                                    ULONG* plain_got, TS_RUNINFO* runs, ULONG runs_max,
                                    ULONG* runs_got, LONG* next) override;
  HRESULT STDMETHODCALLTYPE SetText(DWORD flags, LONG start, LONG end, const WCHAR* text,
                                    ULONG length, TS_TEXTCHANGE* change) override;
  HRESULT STDMETHODCALLTYPE GetFormattedText(LONG, LONG, IDataObject**) override;
  HRESULT STDMETHODCALLTYPE GetEmbedded(LONG, REFGUID, REFIID, IUnknown**) override;
  HRESULT STDMETHODCALLTYPE QueryInsertEmbedded(const GUID*, const FORMATETC*, BOOL*) override;
  HRESULT STDMETHODCALLTYPE InsertEmbedded(DWORD, LONG, LONG, IDataObject*,
                                           TS_TEXTCHANGE*) override;
  HRESULT STDMETHODCALLTYPE InsertTextAtSelection(DWORD flags, const WCHAR* text, ULONG length,
                                                  LONG* start, LONG* end,
                                                  TS_TEXTCHANGE* change) override;
  HRESULT STDMETHODCALLTYPE InsertEmbeddedAtSelection(DWORD, IDataObject*, LONG*, LONG*,
                                                      TS_TEXTCHANGE*) override;
  HRESULT STDMETHODCALLTYPE RequestSupportedAttrs(DWORD, ULONG, const TS_ATTRID*) override;
  HRESULT STDMETHODCALLTYPE RequestAttrsAtPosition(LONG, ULONG, const TS_ATTRID*, DWORD) override;
  HRESULT STDMETHODCALLTYPE RequestAttrsTransitioningAtPosition(LONG, ULONG, const TS_ATTRID*,
                                                                DWORD) override;
  HRESULT STDMETHODCALLTYPE FindNextAttrTransition(LONG, LONG halt, ULONG, const TS_ATTRID*, DWORD,
                                                   LONG* next, BOOL* found, LONG* offset) override;
  HRESULT STDMETHODCALLTYPE RetrieveRequestedAttrs(ULONG, TS_ATTRVAL*, ULONG* fetched) override;
  HRESULT STDMETHODCALLTYPE GetEndACP(LONG* end) override;
  HRESULT STDMETHODCALLTYPE GetActiveView(TsViewCookie* view) override;
  HRESULT STDMETHODCALLTYPE GetACPFromPoint(TsViewCookie, const POINT*, DWORD, LONG*) override;
  HRESULT STDMETHODCALLTYPE GetTextExt(TsViewCookie, LONG, LONG, RECT* rect,
                                       BOOL* clipped) override;
  HRESULT STDMETHODCALLTYPE GetScreenExt(TsViewCookie, RECT* rect) override;
  HRESULT STDMETHODCALLTYPE GetWnd(TsViewCookie, HWND* hwnd) override;

 private:
  void replace(LONG start, LONG end, const WCHAR* text, ULONG length, TS_TEXTCHANGE* change);

  std::wstring text_;
  LONG selection_start_ = 0, selection_end_ = 0;
  com::ComPtr<ITextStoreACPSink> sink_;
  DWORD lock_ = 0;
  DWORD queued_ = 0;
};

}  // namespace sorla::smoke
