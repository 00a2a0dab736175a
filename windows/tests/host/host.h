// The TSF test host: a fake thread manager with two documents, the real
// text service activated on it, and a keyboard whose modifier state the
// service reads as the thread's key state. Every key event is followed by a pass
// of the "message loop" that runs queued edit sessions.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "host/fake_tsf.h"
#include "test_support.h"
#include "tsf/service/text_service.h"

namespace sorla::host {

inline constexpr TfClientId kClient = 0x5A;

class Host {
 public:
  // `shift_setting`: the ShiftSwitchesEnglish registry value; none leaves
  // it unset.
  explicit Host(std::optional<DWORD> shift_setting = std::nullopt);
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;
  ~Host();

  HRESULT activate();
  void deactivate();

  // Keys. The modifier keys are held or let go in the thread's key state. A
  // key the service does not eat reaches the focused document's application,
  // which types it (a character, Enter, Backspace).
  bool down(std::uint32_t vk, LPARAM info = 1);
  bool up(std::uint32_t vk);
  bool tap(std::uint32_t vk);
  // Taps a key for each character: letters, digits, space and ".".
  void type(std::string_view keys);
  void hold(std::uint32_t vk);
  void let_go(std::uint32_t vk);
  void caps_lock(bool on);
  void advance_ms(std::uint64_t ms) { now_ms_ += ms; }
  void pump();

  FakeThreadMgr& thread_mgr() { return *thread_mgr_.get(); }
  FakeContext& doc(int which = 1) { return which == 1 ? docs_[0]->context() : docs_[1]->context(); }
  void focus(int which);
  ITfDocumentMgr* document_mgr(int which = 1) { return docs_[which == 1 ? 0 : 1].get(); }
  tsf::TextService& service() { return *service_.get(); }

  // What the user sees.
  std::string text(int which = 1);
  std::optional<std::string> composition(int which = 1);
  bool composition_marked(int which = 1);
  bool candidates_visible() const;
  // The button's glyph ("ENG" or the letter KHA), read from the item.
  std::string button_text();
  // A click on the button as the language bar reports it.
  HRESULT click_button(TfLBIClick click);
  std::vector<std::string> opened_urls() const { return opened_; }
  // The learned-data file, empty when there is none.
  std::string learned_file() const;
  const std::filesystem::path& appdata() const { return appdata_.path(); }
  TfGuidAtom display_atom() const { return atom_; }

 private:
  void apply_key_state();
  void application_key(std::uint32_t vk);

  testing::TempDir appdata_;
  testing::ScopedEnv appdata_env_;
  bool com_ = false;
  ComPtr<FakeThreadMgr> thread_mgr_;
  std::array<ComPtr<FakeDocumentMgr>, 2> docs_;
  ComPtr<tsf::TextService> service_;
  std::array<BYTE, 256> keys_{};
  std::uint64_t now_ms_ = 1'000'000;
  std::vector<std::string> opened_;
  TfGuidAtom atom_ = 0;
  bool active_ = false;
  int focused_ = 1;
};

// Sets or removes HKCU\Software\Sorla ShiftSwitchesEnglish.
void set_shift_setting(std::optional<DWORD> value);

}  // namespace sorla::host
