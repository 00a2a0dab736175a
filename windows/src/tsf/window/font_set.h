// The candidate window's three fonts at one scale, made once per scale and
// shared between the window and its paint data.
#pragma once

#include <windows.h>

#include <memory>
#include <utility>

#include "tsf/window/gdi.h"

namespace sorla::window {

class FontSet {
 public:
  static std::shared_ptr<const FontSet> create(double scale);

  FontSet(double scale, gdi::Font candidate, gdi::Font number, gdi::Font flag)
      : scale_(scale),
        candidate_(std::move(candidate)),
        number_(std::move(number)),
        flag_(std::move(flag)) {}

  double scale() const { return scale_; }
  HFONT candidate() const { return candidate_.get(); }
  HFONT number() const { return number_.get(); }
  HFONT flag() const { return flag_.get(); }

 private:
  double scale_;
  gdi::Font candidate_, number_, flag_;
};

}  // namespace sorla::window
