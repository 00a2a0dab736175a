#include "render.h"

#include <gtest/gtest.h>

#include <regex>

namespace sorla::cli {
namespace {

std::string strip_ansi(const std::string& s) {
  return std::regex_replace(s, std::regex("\x1b(\\[[0-9;?]*[A-Za-z]|[78])"), "");
}

TEST(Render, CandidateRowMarksTheHighlight) {
  SessionView v{"kh", {"A", "B", "C"}, 1, false};
  EXPECT_EQ(candidate_row(v), "1 A  [2 B]  3 C");
  EXPECT_EQ(candidate_row(v, "<", ">"), "1 A  <[2 B]>  3 C");
  EXPECT_EQ(candidate_row(SessionView{}), "");
  v.page = 1;
  v.page_count = 3;
  EXPECT_EQ(candidate_row(v), "1 A  [2 B]  3 C   2/3");
}

TEST(Render, ScreenShowsDocumentTypedLettersCandidatesAndMode) {
  Screen s{{"khn", {"W1", "W2"}, 0, false}, "done ", "Learned picks: /x"};
  const std::string screen = render_screen(s);
  EXPECT_TRUE(screen.starts_with("\x1b[H\x1b[2J"));
  EXPECT_NE(screen.find("done \x1b[4mkhn\x1b[0m\x1b"
                        "7"),
            std::string::npos)
      << "typed letters underlined after the document, caret kept there";
  EXPECT_TRUE(
      screen.ends_with("\x1b"
                       "8"));
  const std::string plain = strip_ansi(screen);
  EXPECT_NE(plain.find("mode: Khmer"), std::string::npos);
  EXPECT_NE(plain.find("[1 W1]  2 W2"), std::string::npos);
  EXPECT_NE(plain.find("Learned picks: /x"), std::string::npos);
  EXPECT_NE(plain.find("Ctrl+T"), std::string::npos);

  s.view = {"", {}, 0, true};
  const std::string english = strip_ansi(render_screen(s));
  EXPECT_NE(english.find("mode: English"), std::string::npos);
  EXPECT_EQ(english.find("[1"), std::string::npos);
}

TEST(Render, LongDocumentsShowTheirLastLines) {
  std::string doc;
  for (int i = 0; i < 40; ++i) doc += "line" + std::to_string(i) + "\n";
  const std::string plain = strip_ansi(render_screen({{}, doc, ""}));
  EXPECT_EQ(plain.find("line27\r"), std::string::npos);
  EXPECT_NE(plain.find("line39\r\n"), std::string::npos);
  EXPECT_EQ(plain.find("\n\n"), std::string::npos) << "every line break is CR LF";
}

}  // namespace
}  // namespace sorla::cli
