// Everything a TextService knows, kept in its single-owner cell.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "com/com_ptr.h"
#include "learned_file/learned_file.h"
#include "learned_file/words_file.h"
#include "sorla/engine.h"
#include "sorla/front_end.h"
#include "tsf/langbar/langbar_button.h"
#include "tsf/service/keys.h"
#include "tsf/ui/candidate_list.h"
#include "tsf/window/candidate_window.h"
#include "tsf_decls.h"

namespace sorla::tsf {

// The front end and the engine it types with, made and dropped together.
struct Typing {
  explicit Typing(Engine built) : engine(std::move(built)), front_end(engine) {}
  Typing(const Typing&) = delete;
  Typing& operator=(const Typing&) = delete;

  Engine engine;
  FrontEnd front_end;  // the session, the Shift tap, the field kind
};

// The test call's answer for a key (whether the front end claims it), kept
// for the real call of that key. `borrow` is the state's borrow count when it
// was given: it holds only while nothing borrowed the state since.
struct TestedKey {
  KeyDown down;
  bool claimed = false;
  std::uint64_t borrow = 0;
};

inline constexpr DWORD kNoCookie = 0xFFFFFFFF;
// How long a field whose scopes were never read stays private.
inline constexpr std::uint64_t kFieldReadPatienceMs = 2000;

struct ServiceState {
  std::unique_ptr<Typing> typing;  // absent while inactive
  learned_file::LearnedFile learned_file;
  learned_file::WordsFile words_file;
  std::optional<TfGuidAtom> display_atom;

  // Shared so that a handler can show or destroy it after releasing the state.
  std::shared_ptr<window::CandidateWindow> window;
  com::ComPtr<langbar::LangBarButton> button;
  // The candidate list offered to applications that draw it themselves.
  com::ComPtr<ITfUIElementMgr> ui_elements;
  com::ComPtr<ui::CandidateList> element;

  com::ComPtr<ITfThreadMgr> thread_mgr;
  TfClientId client_id = 0;
  DWORD thread_mgr_cookie = kNoCookie;

  com::ComPtr<ITfComposition> composition;
  com::ComPtr<ITfSource> watched;  // the focused context, for OnEndEdit
  DWORD watch_cookie = kNoCookie;
  com::ComPtr<ITfContext> key_context;  // of the latest key event
  std::optional<TestedKey> tested_key;  // until the next real key-down
  // The focused context whose field kind the front end holds, and when (by
  // the service's clock) its scope read was asked for, until it is heard.
  com::ComPtr<ITfContext> field_context;
  std::optional<std::uint64_t> field_read_asked;
  std::optional<window::Rect> caret;  // of the composition, in screen pixels
  HWND view_window = nullptr;         // of the composition's context
  bool immersive = false;             // a Store app's thread
  bool own_edit = false;
};

}  // namespace sorla::tsf
