// Arrays the engine reads in place: its own elements, or a view of elements
// that live elsewhere (a mapped index file, kept alive by the engine). A copy
// of an owning array owns a copy; a copy of a view is the same view.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

namespace sorla {

template <typename T>
class Flat {
 public:
  Flat() = default;
  explicit Flat(std::vector<T> own) : own_(std::move(own)), view_(own_) {}
  static Flat view_of(std::span<const T> elements) {
    Flat f;
    f.view_ = elements;
    return f;
  }
  Flat(const Flat& o) : own_(o.own_), view_(o.owns() ? std::span<const T>(own_) : o.view_) {}
  Flat(Flat&& o) noexcept : own_(std::move(o.own_)), view_(o.view_) { o.view_ = {}; }
  Flat& operator=(const Flat& o) {
    if (this != &o) *this = Flat(o);
    return *this;
  }
  Flat& operator=(Flat&& o) noexcept {
    own_ = std::move(o.own_);
    view_ = o.view_;
    o.view_ = {};
    return *this;
  }

  // Changes the elements through `change(std::vector<T>&)`; a view becomes
  // an owned copy first.
  template <typename Change>
  void edit(Change&& change) {
    if (!owns()) own_.assign(view_.begin(), view_.end());
    change(own_);
    view_ = own_;
  }

  const T& operator[](std::size_t i) const { return view_[i]; }
  std::size_t size() const { return view_.size(); }
  bool empty() const { return view_.empty(); }
  const T* data() const { return view_.data(); }
  const T* begin() const { return view_.data(); }
  const T* end() const { return view_.data() + view_.size(); }
  std::span<const T> span() const { return view_; }

 private:
  bool owns() const { return !own_.empty() && view_.data() == own_.data(); }
  std::vector<T> own_;
  std::span<const T> view_;
};

}  // namespace sorla
