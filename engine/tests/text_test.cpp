#include "sorla/text.h"

#include <gtest/gtest.h>

#include <string>

namespace sorla {
namespace {

// The UTF-8 rule from its definition: decode, then refuse overlong forms,
// surrogates and values beyond U+10FFFF.
std::size_t defined_length(std::string_view s) {
  if (s.empty()) return 0;
  const auto b0 = static_cast<unsigned char>(s[0]);
  std::size_t len;
  char32_t c;
  if (b0 < 0x80) return 1;
  if ((b0 & 0xE0) == 0xC0) {
    len = 2, c = b0 & 0x1F;
  } else if ((b0 & 0xF0) == 0xE0) {
    len = 3, c = b0 & 0x0F;
  } else if ((b0 & 0xF8) == 0xF0) {
    len = 4, c = b0 & 0x07;
  } else {
    return 0;
  }
  if (s.size() < len) return 0;
  for (std::size_t k = 1; k < len; ++k) {
    const auto b = static_cast<unsigned char>(s[k]);
    if ((b & 0xC0) != 0x80) return 0;
    c = (c << 6) | (b & 0x3F);
  }
  const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
  if (c < least[len] || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) return 0;
  return len;
}

TEST(Text, Utf8SequenceLengthFollowsTheDefinition) {
  const unsigned char tails[] = {0x00, 0x41, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0, 0xFF};
  for (unsigned b0 = 0; b0 < 256; ++b0) {
    for (unsigned b1 = 0; b1 < 256; ++b1) {
      for (unsigned char b2 : tails) {
        for (unsigned char b3 : tails) {
          const char bytes[] = {static_cast<char>(b0), static_cast<char>(b1), static_cast<char>(b2),
                                static_cast<char>(b3)};
          // The shorter prefixes once per (b0, b1).
          const std::size_t shortest = b2 == tails[0] && b3 == tails[0] ? 1 : 4;
          for (std::size_t n = shortest; n <= 4; ++n) {
            const std::string_view s(bytes, n);
            ASSERT_EQ(utf8_sequence_length(s), defined_length(s)) << b0 << " " << b1 << " " << n;
            const std::size_t len = defined_length(s);
            ASSERT_EQ(is_valid_utf8(s), len != 0 && (len == n || is_valid_utf8(s.substr(len))))
                << b0 << " " << b1 << " " << n;
          }
        }
      }
    }
  }
  EXPECT_EQ(utf8_sequence_length(""), 0u);
  EXPECT_TRUE(is_valid_utf8(""));
}

TEST(Text, LongTextsAreCheckedEverywhere) {
  // Runs of Khmer and other characters with one byte changed anywhere, as
  // long texts are checked several bytes at a time.
  const std::string pieces[] = {"\xE1\x9E\x80",
                                "\xE1\x9F\x92",
                                "\xEF\xBF\xBD",
                                "\xE0\xA0\x80",
                                "\xED\x9F\xBF",
                                "\xC3\xA9",
                                "a",
                                "\xF0\x9F\x98\x80"};
  const unsigned char changes[] = {0x00, 0x7F, 0x80, 0x9F, 0xA0, 0xBF,
                                   0xC0, 0xE0, 0xE1, 0xED, 0xF4, 0xFF};
  std::uint64_t state = 1;
  auto next = [&](std::uint64_t n) {
    state = state * 6364136223846793005u + 1442695040888963407u;
    return (state >> 33) % n;
  };
  for (int round = 0; round < 20000; ++round) {
    std::string s;
    // Half of the pieces Khmer, so that long runs of it come up too.
    const std::uint64_t count = 1 + next(30);
    for (std::uint64_t k = 0; k < count; ++k)
      s += pieces[next(2) ? next(2) : next(std::size(pieces))];
    if (next(4) != 0) s[next(s.size())] = static_cast<char>(changes[next(std::size(changes))]);
    bool defined = true;
    for (std::size_t i = 0; i < s.size() && defined;) {
      const std::size_t len = defined_length(std::string_view(s).substr(i));
      defined = len != 0;
      i += len;
    }
    ASSERT_EQ(is_valid_utf8(s), defined) << testing::PrintToString(s);
  }
}

TEST(Text, IsAsciiLooksAtEveryByte) {
  for (std::size_t len = 0; len <= 20; ++len) {
    EXPECT_TRUE(is_ascii(std::string(len, '\x7F')));
    for (std::size_t at = 0; at < len; ++at) {
      std::string s(len, 'a');
      s[at] = '\x80';
      EXPECT_FALSE(is_ascii(s)) << len << " " << at;
    }
  }
}

}  // namespace
}  // namespace sorla
