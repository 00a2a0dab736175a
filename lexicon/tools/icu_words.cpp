// Prints every word of ICU's Khmer word-break dictionary, one per line in
// byte order. The dictionary is a byte trie whose bytes are code points less
// a fixed offset (read from its header); two bytes stand for ZWJ and ZWNJ.
#include <unicode/bytestrie.h>
#include <unicode/udata.h>
#include <unicode/uversion.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "sorla/text.h"

namespace {

// The layout of ICU's dictionary header (dictionarydata.h, not installed).
enum : int32_t {
  kTrieOffset = 0,
  kTrieType = 4,
  kTransform = 5,
  kIndexCount = 8,
};
constexpr int32_t kTrieTypeMask = 7;
constexpr int32_t kTrieTypeBytes = 0;
constexpr uint32_t kTransformTypeMask = 0x7f000000;
constexpr uint32_t kTransformTypeOffset = 0x01000000;
constexpr uint32_t kTransformOffsetMask = 0x001fffff;

struct DataCloser {
  UDataMemory* data;
  ~DataCloser() {
    if (data) udata_close(data);
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::string(argv[1]) == "--version") {
    std::printf("%s\n", U_ICU_VERSION);
    return 0;
  }
  UErrorCode status = U_ZERO_ERROR;
  DataCloser dict{
      udata_open(U_ICUDATA_NAME U_TREE_SEPARATOR_STRING "brkitr", "dict", "khmerdict", &status)};
  if (U_FAILURE(status)) {
    std::fprintf(stderr, "icu_words: cannot open the Khmer dictionary: %s\n", u_errorName(status));
    return 1;
  }
  const auto* base = static_cast<const uint8_t*>(udata_getMemory(dict.data));
  const auto* indexes = reinterpret_cast<const int32_t*>(base);
  if (indexes[0] < kIndexCount * 4 || (indexes[kTrieType] & kTrieTypeMask) != kTrieTypeBytes) {
    std::fprintf(stderr, "icu_words: the Khmer dictionary is not a byte trie\n");
    return 1;
  }
  const auto transform = static_cast<uint32_t>(indexes[kTransform]);
  if ((transform & kTransformTypeMask) != kTransformTypeOffset) {
    std::fprintf(stderr, "icu_words: unknown transform in the Khmer dictionary\n");
    return 1;
  }
  const uint32_t offset = transform & kTransformOffsetMask;

  icu::BytesTrie::Iterator it(base + indexes[kTrieOffset], 0, status);
  std::vector<std::string> words;
  while (U_SUCCESS(status) && it.next(status)) {
    const icu::StringPiece bytes = it.getString();
    std::string word;
    for (int32_t i = 0; i < bytes.size(); ++i) {
      const auto b = static_cast<uint8_t>(bytes.data()[i]);
      const char32_t c = b == 0xff ? 0x200d : b == 0xfe ? 0x200c : offset + b;
      sorla::append_utf8(word, c);
    }
    words.push_back(std::move(word));
  }
  if (U_FAILURE(status)) {
    std::fprintf(stderr, "icu_words: reading the dictionary failed: %s\n", u_errorName(status));
    return 1;
  }
  std::sort(words.begin(), words.end());
  for (const std::string& w : words) std::printf("%s\n", w.c_str());
  return 0;
}
