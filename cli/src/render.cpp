#include "render.h"

#include <vector>

namespace sorla::cli {
namespace {

constexpr const char* kBold = "\x1b[1m";
constexpr const char* kUnderline = "\x1b[4m";
constexpr const char* kReverse = "\x1b[7m";
constexpr const char* kDim = "\x1b[2m";
constexpr const char* kPlain = "\x1b[0m";
constexpr std::size_t kDocumentLines = 12;

// Terminal lines need a carriage return as well; only the last lines of a
// long document are shown so the screen never scrolls.
std::string document_tail(const std::string& text) {
  std::vector<std::string> lines(1);
  for (const char c : text) {
    if (c == '\n') {
      lines.emplace_back();
    } else {
      lines.back() += c;
    }
  }
  const std::size_t first = lines.size() > kDocumentLines ? lines.size() - kDocumentLines : 0;
  std::string out;
  for (std::size_t i = first; i < lines.size(); ++i) {
    if (i > first) out += "\r\n";
    out += lines[i];
  }
  return out;
}

}  // namespace

std::string candidate_row(const SessionView& view, std::string_view mark_on,
                          std::string_view mark_off) {
  std::string row;
  for (std::size_t i = 0; i < view.candidates.size(); ++i) {
    if (i) row += "  ";
    const std::string item = std::to_string(i + 1) + " " + view.candidates[i];
    if (i == view.selected) {
      row += mark_on;
      row += "[" + item + "]";
      row += mark_off;
    } else {
      row += item;
    }
  }
  // Where the page shown lies, once there is more than one.
  if (view.page_count > 1) {
    row += "   " + std::to_string(view.page + 1) + "/" + std::to_string(view.page_count);
  }
  return row;
}

std::string render_screen(const Screen& s) {
  const SessionView& v = s.view;
  std::string out = "\x1b[H\x1b[2J";
  out += kBold;
  out += "Sorla typing demo";
  out += kPlain;
  out += v.english ? "   mode: English (keys go straight to the text)" : "   mode: Khmer";
  out += "\r\n\r\n";

  out += document_tail(s.document);
  if (!v.typed.empty()) {
    out += kUnderline;
    out += v.typed;
    out += kPlain;
  }
  out +=
      "\x1b"
      "7";  // remember where the caret belongs
  out += "\r\n\r\n";

  if (!v.candidates.empty()) {
    out += candidate_row(v, kReverse, kPlain);
  } else if (!v.typed.empty()) {
    out += kDim;
    out += "(no candidates: Space or Enter keeps the letters)";
    out += kPlain;
  }
  out += "\r\n\r\n";
  if (!s.status.empty()) out += s.status + "\r\n";
  out += kDim;
  out +=
      "letters type   1-5 pick   Space/Enter/Tab commit   arrows move the highlight   "
      "PgDn/PgUp more\r\n"
      ". adds \xE1\x9F\x94   Esc keeps the letters   Backspace undoes   "
      "Ctrl+T Khmer/English   Ctrl+C quit";
  out += kPlain;
  out +=
      "\x1b"
      "8";
  return out;
}

}  // namespace sorla::cli
