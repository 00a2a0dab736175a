// The front-end core: every decision a front end makes about a key, made
// once. The text service's test call and real call for a key, its clicks and
// focus changes, and `sorla` all ask one FrontEnd and carry out its answer;
// they only read the platform's key state and run the edit plans.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "sorla/edit_plan.h"
#include "sorla/field_kind.h"
#include "sorla/key_script.h"
#include "sorla/keyboard.h"
#include "sorla/session.h"

namespace sorla {

// Where a key goes, as the platform sees it when the key arrives.
struct KeyTarget {
  bool document = true;       // a document has the focus
  bool read_only = false;     // it takes no edits
  bool keyboard_off = false;  // its application turned the keyboard's input method off
  bool operator==(const KeyTarget&) const = default;
};

// What the platform does about one event: whether the key is eaten (never
// reaching the application), the edits to run on the document, in order, and
// what the candidate window and the language-bar button show afterwards.
struct Answer {
  bool eaten = false;
  EditPlan plan;
  SessionView view;
};

class FrontEnd {
 public:
  // The engine must outlive the front end; the session learns into it.
  explicit FrontEnd(Engine& engine);

  // A key going down. The test answers whether the real call will eat the
  // key; for the same key in the same state they always agree, since TSF
  // passes a key to the real call only after the test claimed it. Both
  // watch for the Shift tap: a key the test let go never reaches the real
  // call.
  bool test_key_down(const KeyEvent& key, const KeyTarget& target = {}, std::uint64_t now_ms = 0);
  Answer key_down(const KeyEvent& key, const KeyTarget& target = {}, std::uint64_t now_ms = 0);
  // A key going up: a Shift tap switches between Khmer and English. The
  // test claims the release of a tap so that the real call is made; the real
  // call lets the release through, as every key-up, so that an application
  // following ITfKeystrokeMgr::KeyUp's contract still sees Shift go up (one
  // served through IMM32 may not: the system's key state is right either way).
  bool test_key_up(std::uint32_t vk, std::uint64_t now_ms = 0) const;
  Answer key_up(std::uint32_t vk, std::uint64_t now_ms = 0);

  // The Khmer/English switch from outside the keyboard (the language-bar
  // button, a key script's {toggle}).
  Answer toggle();
  // A session input from outside the keyboard: the candidate list of an
  // application that draws it aborting (Escape).
  Answer apply(SessionInput in);
  // A click on candidate `index`.
  Answer choose(std::size_t index);
  // The highlight moved to candidate `index` of every page's by the
  // application.
  Answer select(std::size_t index);
  // The document loses the focus or the service stops: the letters go out
  // as typed and the composition ends; the typing history is forgotten.
  Answer finish();

  // The application ended the composition; what it shows stays.
  void composition_ended();
  // Whether a composition is open in the document, as the platform found
  // after running a plan (a failed edit may have left none).
  void set_composing(bool open) { composing_ = open; }
  // The document or its selection changed by something other than a plan.
  void selection_moved() { session_.selection_moved(); }

  // What the focused field asks for; Text and NoLearn fields get Khmer
  // typing, and a NoLearn one learns none of its picks.
  void set_field(FieldKind kind);
  FieldKind field() const { return field_; }
  // The user's setting: whether a Shift tap switches modes.
  void set_shift_switches_english(bool on) { shift_switches_english_ = on; }
  // The user's setting: whether picks are learned at all; off, no field
  // learns.
  void set_learning_allowed(bool on);
  bool learning_allowed() const { return learning_allowed_; }

  SessionView view() const { return session_.view(); }
  const Session& session() const { return session_; }

 private:
  // The session input a key going down stands for when it is claimed; none
  // when the key is let through to the application untouched.
  std::optional<SessionInput> claimed(const KeyEvent& key, const KeyTarget& target) const;
  bool claims(SessionInput in) const;
  Answer answer(const SessionOutput& out);

  Session session_;
  ShiftTap shift_tap_;
  bool shift_switches_english_ = true;
  bool learning_allowed_ = true;
  FieldKind field_ = FieldKind::Text;
  bool composing_ = false;
};

}  // namespace sorla
