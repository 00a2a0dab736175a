// The Khmer words of the word data, packed: all their text in one buffer and
// where each word ends, read in place whether the engine built them or a
// mapped index holds them.
#pragma once

#include <cstdint>
#include <iterator>
#include <span>
#include <string_view>

#include "sorla/flat.h"

namespace sorla {

class WordTexts {
 public:
  void reserve(std::size_t words) {
    ends_.edit([&](std::vector<std::uint32_t>& ends) { ends.reserve(words); });
  }
  void push_back(std::string_view word) {
    text_.edit([&](std::vector<char>& text) { text.insert(text.end(), word.begin(), word.end()); });
    ends_.edit([&](std::vector<std::uint32_t>& ends) {
      ends.push_back(static_cast<std::uint32_t>(text_.size()));
    });
  }

  // Gives back the room that growing left over.
  void shrink_to_fit() {
    text_.edit([](std::vector<char>& text) { text.shrink_to_fit(); });
    ends_.edit([](std::vector<std::uint32_t>& ends) { ends.shrink_to_fit(); });
  }

  std::string_view operator[](std::size_t i) const {
    const std::uint32_t begin = i == 0 ? 0 : ends_[i - 1];
    return {text_.data() + begin, ends_[i] - begin};
  }
  std::size_t size() const { return ends_.size(); }
  bool empty() const { return ends_.empty(); }
  std::string_view back() const { return (*this)[size() - 1]; }

  class Iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = std::string_view;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = std::string_view;
    Iterator(const WordTexts* texts, std::size_t at) : texts_(texts), at_(at) {}
    std::string_view operator*() const { return (*texts_)[at_]; }
    Iterator& operator++() { return ++at_, *this; }
    Iterator operator++(int) { return Iterator(texts_, at_++); }
    bool operator==(const Iterator& o) const { return at_ == o.at_; }

   private:
    const WordTexts* texts_;
    std::size_t at_;
  };
  Iterator begin() const { return {this, 0}; }
  Iterator end() const { return {this, size()}; }

  // The arrays as stored, and texts over stored arrays (checked by whoever
  // reads them: `ends` rising, the last one the text's size).
  std::span<const std::uint32_t> ends() const { return ends_.span(); }
  std::span<const char> text() const { return text_.span(); }
  static WordTexts view_of(std::span<const std::uint32_t> ends, std::span<const char> text) {
    WordTexts t;
    t.ends_ = Flat<std::uint32_t>::view_of(ends);
    t.text_ = Flat<char>::view_of(text);
    return t;
  }

 private:
  Flat<std::uint32_t> ends_;
  Flat<char> text_;
};

}  // namespace sorla
