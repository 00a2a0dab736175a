// The typing session: turns inputs into typed letters, candidate choice,
// commits, Khmer punctuation, mode switches and undo. Platform-free: the
// front end (sorla/front_end.h) feeds it the keys it claims and turns what it
// returns into edits of the document.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "sorla/engine.h"

namespace sorla {

// A Unicode character (below 0x110000) or a named key above that range.
using SessionInput = std::uint32_t;

namespace input {
inline constexpr SessionInput Space = 0x110000;
inline constexpr SessionInput Enter = 0x110001;
inline constexpr SessionInput Tab = 0x110002;
inline constexpr SessionInput ShiftTab = 0x110003;
inline constexpr SessionInput Left = 0x110004;
inline constexpr SessionInput Right = 0x110005;
inline constexpr SessionInput Up = 0x110006;
inline constexpr SessionInput Down = 0x110007;
inline constexpr SessionInput Escape = 0x110008;
inline constexpr SessionInput Backspace = 0x110009;
inline constexpr SessionInput ToggleMode = 0x11000A;
inline constexpr SessionInput PageDown = 0x11000B;
inline constexpr SessionInput PageUp = 0x11000C;
}  // namespace input

// Windows virtual-key codes the session tells apart.
namespace vk {
inline constexpr std::uint32_t Back = 8;
inline constexpr std::uint32_t Tab = 9;
inline constexpr std::uint32_t Return = 13;
inline constexpr std::uint32_t Shift = 16;
inline constexpr std::uint32_t Control = 17;
inline constexpr std::uint32_t Alt = 18;
inline constexpr std::uint32_t CapsLock = 20;
inline constexpr std::uint32_t Escape = 27;
inline constexpr std::uint32_t Space = 32;
inline constexpr std::uint32_t Prior = 33;  // Page Up
inline constexpr std::uint32_t Next = 34;   // Page Down
inline constexpr std::uint32_t Left = 37;
inline constexpr std::uint32_t Up = 38;
inline constexpr std::uint32_t Right = 39;
inline constexpr std::uint32_t Down = 40;
inline constexpr std::uint32_t LWin = 91;
inline constexpr std::uint32_t RWin = 92;
inline constexpr std::uint32_t NumLock = 144;
inline constexpr std::uint32_t ScrollLock = 145;
inline constexpr std::uint32_t LShift = 160;  // through RMenu = 165
inline constexpr std::uint32_t RMenu = 165;
}  // namespace vk

struct Modifiers {
  bool shift = false;
  bool ctrl = false;
  bool alt = false;
  bool operator==(const Modifiers&) const = default;
};

struct SessionOutput {
  std::string commit;
  std::optional<std::string> retract;
  bool eaten = false;
  bool operator==(const SessionOutput&) const = default;
};

// The page of candidates shown (at most five), the highlighted one's place
// on it, and where that page lies among all of them.
struct SessionView {
  std::string typed;
  std::vector<std::string> candidates;
  std::size_t selected = 0;
  bool english = false;
  std::size_t page = 0;
  std::size_t page_count = 0;  // 0 while there are no candidates
  bool operator==(const SessionView&) const = default;
};

struct PickRecord {
  std::string typed;
  std::string picked;
  std::optional<std::string> previous;
};

struct UndoEntry {
  std::string text;
  std::optional<PickRecord> pick;
};

class Session {
 public:
  static constexpr std::size_t kUndoDepth = 32;

  // The engine must outlive the session; the session learns into it.
  explicit Session(Engine& engine);

  // Applies one input; choose and reset act through it too. Which keys stand
  // for which inputs is the front end's (sorla/front_end.h).
  SessionOutput apply(SessionInput in);
  // A click on candidate `index` of the page shown.
  SessionOutput choose(std::size_t index);
  // Moves the highlight to candidate `index` of every page's (the page
  // shown follows it), as an application drawing them does; none that is
  // not there changes nothing.
  void select(std::size_t index);
  // Finishes the word being typed and forgets the typing history; keeps the mode.
  SessionOutput reset();
  // The document or its selection changed by something other than this service.
  void selection_moved();
  SessionView view() const;

  const std::string& typed() const { return typed_; }
  // Every page's candidates, and the highlighted one's place among them.
  const std::vector<std::string>& candidates() const { return candidates_; }
  std::size_t selected() const { return selected_; }
  const std::optional<std::string>& previous() const { return previous_; }
  const std::deque<UndoEntry>& undo() const { return undo_; }
  bool english() const { return english_; }
  Engine& engine() { return *engine_; }
  // Whether picks are learned; off, a pick commits as usual and leaves no
  // trace in the engine.
  void set_learning(bool on) { learning_ = on; }

 private:
  SessionOutput apply_char(char32_t c);
  SessionOutput apply_named(SessionInput in);
  void refresh();
  std::size_t page_start() const;
  std::size_t page_size() const;
  SessionOutput turn_page(bool forward);
  SessionOutput raw_commit();
  SessionOutput commit_candidate(std::size_t index);
  SessionOutput commit_then_append(char32_t c);
  void push_undo(UndoEntry entry);
  SessionOutput let_through();
  SessionOutput undo_last();

  Engine* engine_;
  std::string typed_;
  std::vector<std::string> candidates_;
  std::size_t selected_ = 0;
  std::optional<std::string> previous_;
  std::deque<UndoEntry> undo_;
  bool english_ = false;
  bool learning_ = true;
};

}  // namespace sorla
