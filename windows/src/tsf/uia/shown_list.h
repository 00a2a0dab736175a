// The candidates as the window shows them, copied at each show: all that
// the UI Automation providers read, so they never reach into the typing
// session.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

namespace sorla::uia {

struct ShownItem {
  std::wstring name;  // the number the user types, a space, the candidate
  RECT cell{};        // in the window's client pixels
};

struct ShownList {
  std::vector<ShownItem> items;
  std::size_t selected = 0;
};

// "3 <text>" for the third candidate: what a screen reader says for it.
inline std::wstring item_name(std::size_t index, const std::wstring& text) {
  return std::to_wstring(index + 1) + L" " + text;
}

}  // namespace sorla::uia
