// The text behind a fake TSF context: UTF-16 text, a selection, the
// display-attribute atom of each character, and live spans (ranges,
// compositions) that follow edits the way TSF anchors do.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace sorla::host {

struct Span {
  LONG start = 0, end = 0;
};

class Document {
 public:
  Document();

  const std::wstring& text() const { return text_; }
  LONG length() const { return static_cast<LONG>(text_.size()); }
  const Span& selection() const { return *selection_; }
  void select(LONG start, LONG end);
  DWORD attribute_at(LONG i) const { return attributes_[static_cast<std::size_t>(i)]; }
  void set_attribute(const Span& span, DWORD atom);

  // A span that follows edits until its last owner drops it.
  std::shared_ptr<Span> track(Span at);
  // Replaces [start, end) with `with`. `self` (if any) then covers the new
  // text; other spans after the edit shift, spans inside it shrink to it.
  void replace(LONG start, LONG end, std::wstring_view with, Span* self = nullptr);

 private:
  std::wstring text_;
  std::vector<DWORD> attributes_;
  std::vector<std::weak_ptr<Span>> spans_;  // before the selection, which is one
  std::shared_ptr<Span> selection_;
};

}  // namespace sorla::host
