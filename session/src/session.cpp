#include "sorla/session.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "chars.h"

namespace sorla {
namespace {

constexpr SessionInput kLastNamed = input::PageUp;
constexpr std::size_t kPage = Engine::kMaxSuggestions;

SessionOutput eaten() { return SessionOutput{{}, std::nullopt, true}; }

}  // namespace

Session::Session(Engine& engine) : engine_(&engine) {}

SessionOutput Session::apply(SessionInput in) {
  if (in == input::ToggleMode) {
    SessionOutput out = raw_commit();
    english_ = !english_;
    undo_.clear();
    return out;
  }
  if (english_) return {};
  if (in < 0x110000) {
    // A value that is no character cannot be typed or written into the document.
    if (!is_scalar(in)) return {};
    return apply_char(in);
  }
  if (in > kLastNamed) return {};
  return apply_named(in);
}

SessionOutput Session::apply_char(char32_t c) {
  const bool composing = !typed_.empty();
  if (is_ascii_letter(c) || (composing && (c == U'\'' || c == U'-'))) {
    typed_ += static_cast<char>(c);
    refresh();
    return eaten();
  }
  if (c == U'.') {
    if (composing) return commit_then_append(kKhan);
    previous_.reset();
    std::string khan;
    append_utf8(khan, kKhan);
    push_undo(UndoEntry{khan, std::nullopt});
    return SessionOutput{khan, std::nullopt, true};
  }
  if (!composing) return let_through();
  if (c == U'0') return eaten();
  if (c >= U'1' && c <= U'9') {
    // Digits number the candidates of the page shown.
    const std::size_t index = c - U'1';
    if (index < page_size()) return commit_candidate(page_start() + index);
    return eaten();
  }
  return commit_then_append(c);
}

SessionOutput Session::apply_named(SessionInput in) {
  if (typed_.empty()) return in == input::Backspace ? undo_last() : let_through();
  const std::size_t count = candidates_.size();
  switch (in) {
    case input::Space:
    case input::Enter: {
      if (count > 0) return commit_candidate(selected_);
      // Letters nobody recognised go out as typed, and the key itself follows them.
      SessionOutput out = raw_commit();
      undo_.clear();
      out.eaten = false;
      return out;
    }
    case input::Tab:
      return commit_candidate(selected_);
    // The arrows move and wrap around within the page shown, as they did
    // when there was only one; the page keys alone change pages.
    case input::Left:
    case input::Up:
      if (count > 0) {
        selected_ = page_start() + (selected_ - page_start() + page_size() - 1) % page_size();
      }
      return eaten();
    case input::Right:
    case input::Down:
      if (count > 0) selected_ = page_start() + (selected_ - page_start() + 1) % page_size();
      return eaten();
    case input::PageDown:
      return turn_page(true);
    case input::PageUp:
      return turn_page(false);
    case input::Escape:
      return raw_commit();
    case input::Backspace:
      typed_.pop_back();
      refresh();
      return eaten();
    default:  // ShiftTab
      return eaten();
  }
}

void Session::refresh() {
  selected_ = 0;
  candidates_.clear();
  if (typed_.empty()) return;
  for (Suggestion& s : engine_->suggest(typed_, previous_, Engine::kMaxCandidates)) {
    candidates_.push_back(std::move(s.text));
  }
}

std::size_t Session::page_start() const { return selected_ / kPage * kPage; }

std::size_t Session::page_size() const {
  return std::min(kPage, candidates_.size() - page_start());
}

// The first candidate of the next or previous page; the first and the last
// page stay where they are rather than wrap, so a held key stops at an end.
SessionOutput Session::turn_page(bool forward) {
  const std::size_t start = page_start();
  if (forward && start + kPage < candidates_.size()) selected_ = start + kPage;
  if (!forward && start > 0) selected_ = start - kPage;
  return eaten();
}

SessionOutput Session::raw_commit() {
  if (typed_.empty()) return eaten();
  std::string text = std::exchange(typed_, {});
  candidates_.clear();
  selected_ = 0;
  previous_.reset();
  push_undo(UndoEntry{text, std::nullopt});
  return SessionOutput{std::move(text), std::nullopt, true};
}

SessionOutput Session::commit_candidate(std::size_t index) {
  if (index >= candidates_.size()) return raw_commit();
  std::string picked = candidates_[index];
  std::string typed = std::exchange(typed_, {});
  std::optional<std::string> old_previous = std::exchange(previous_, picked);
  candidates_.clear();
  selected_ = 0;
  // Not learned, an undone pick has nothing to take back.
  std::optional<PickRecord> pick;
  if (learning_) {
    engine_->learn(typed, picked, old_previous);
    pick = PickRecord{std::move(typed), picked, std::move(old_previous)};
  }
  push_undo(UndoEntry{picked, std::move(pick)});
  return SessionOutput{std::move(picked), std::nullopt, true};
}

SessionOutput Session::commit_then_append(char32_t c) {
  SessionOutput out = commit_candidate(selected_);
  std::string tail;
  append_utf8(tail, c);
  // One undo takes back the word and its punctuation together.
  out.commit += tail;
  undo_.back().text += tail;
  previous_.reset();
  return out;
}

void Session::push_undo(UndoEntry entry) {
  if (undo_.size() == kUndoDepth) undo_.pop_front();
  undo_.push_back(std::move(entry));
}

SessionOutput Session::let_through() {
  previous_.reset();
  undo_.clear();
  return {};
}

SessionOutput Session::undo_last() {
  if (undo_.empty()) return {};
  UndoEntry entry = std::move(undo_.back());
  undo_.pop_back();
  if (entry.pick) engine_->unlearn(entry.pick->typed, entry.pick->picked, entry.pick->previous);
  previous_.reset();
  return SessionOutput{{}, std::move(entry.text), true};
}

SessionOutput Session::choose(std::size_t index) {
  static_assert(Engine::kMaxSuggestions <= 9, "a candidate is chosen by its digit");
  if (typed_.empty() || index >= page_size()) return {};
  if (index >= Engine::kMaxSuggestions) throw std::logic_error("at most 5 candidates");
  return apply(U'1' + static_cast<char32_t>(index));
}

void Session::select(std::size_t index) {
  if (index < candidates_.size()) selected_ = index;
}

SessionOutput Session::reset() {
  const bool was_english = english_;
  SessionOutput out = typed_.empty() ? SessionOutput{} : apply(input::Escape);
  typed_.clear();
  candidates_.clear();
  selected_ = 0;
  previous_.reset();
  undo_.clear();
  english_ = false;
  if (was_english) apply(input::ToggleMode);
  out.eaten = false;
  return out;
}

void Session::selection_moved() {
  if (typed_.empty()) reset();
}

SessionView Session::view() const {
  SessionView v{typed_, {}, 0, english_, 0, 0};
  if (candidates_.empty()) return v;
  const auto first = candidates_.begin() + static_cast<std::ptrdiff_t>(page_start());
  v.candidates.assign(first, first + static_cast<std::ptrdiff_t>(page_size()));
  v.selected = selected_ - page_start();
  v.page = selected_ / kPage;
  v.page_count = (candidates_.size() + kPage - 1) / kPage;
  return v;
}

}  // namespace sorla
