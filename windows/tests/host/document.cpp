#include "host/document.h"

#include <algorithm>

namespace sorla::host {

Document::Document() : selection_(track({0, 0})) {}

void Document::select(LONG start, LONG end) {
  selection_->start = std::clamp<LONG>(start, 0, length());
  selection_->end = std::clamp<LONG>(end, selection_->start, length());
}

void Document::set_attribute(const Span& span, DWORD atom) {
  for (LONG i = std::max<LONG>(span.start, 0); i < std::min(span.end, length()); ++i) {
    attributes_[static_cast<std::size_t>(i)] = atom;
  }
}

std::shared_ptr<Span> Document::track(Span at) {
  auto span = std::make_shared<Span>(at);
  spans_.erase(std::remove_if(spans_.begin(), spans_.end(),
                              [](const std::weak_ptr<Span>& s) { return s.expired(); }),
               spans_.end());
  spans_.push_back(span);
  return span;
}

void Document::replace(LONG start, LONG end, std::wstring_view with, Span* self) {
  const LONG inserted = static_cast<LONG>(with.size());
  const LONG delta = inserted - (end - start);
  text_.replace(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start), with);
  attributes_.erase(attributes_.begin() + start, attributes_.begin() + end);
  attributes_.insert(attributes_.begin() + start, with.size(), 0);
  for (const auto& weak : spans_) {
    const auto span = weak.lock();
    if (!span) continue;
    if (span.get() == self) {
      span->start = start;
      span->end = start + inserted;
      continue;
    }
    const auto move = [&](LONG& at, LONG inside) {
      if (at >= end) {
        at += delta;
      } else if (at > start) {
        at = inside;
      }
    };
    move(span->start, start);
    move(span->end, start + inserted);
    span->end = std::max(span->start, span->end);
  }
}

}  // namespace sorla::host
