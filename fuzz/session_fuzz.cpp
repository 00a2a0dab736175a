// The typing session fed arbitrary key streams. Invariants: at most five
// candidates, a composition of letters, apostrophes and hyphens only, an undo
// ring of at most 32, and a retract only ever of the text a commit produced.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "sorla/session.h"

namespace {

struct Key {
  std::uint32_t code;
  char32_t ch;  // 0: none
};

// Keys a US keyboard produces, plus the named ones the session tells apart.
const Key kKeys[] = {
    {'A', 'a'},  {'B', 'b'},  {'H', 'h'},  {'K', 'k'}, {'N', 'n'}, {'O', 'o'}, {'S', 's'},
    {'T', 't'},  {'Y', 'y'},  {'A', 'A'},  {'1', '1'}, {'2', '2'}, {'3', '3'}, {'5', '5'},
    {'9', '9'},  {'0', '0'},  {222, '\''}, {189, '-'}, {190, '.'}, {188, ','}, {32, ' '},
    {13, '\r'},  {9, '\t'},   {8, 0x08},   {27, 0x1B}, {37, 0},    {38, 0},    {39, 0},
    {40, 0},     {16, 0},     {17, 0},     {18, 0},    {20, 0},    {112, 0},   {46, 0},
    {'E', 0xE9}, {0, 0x1780}, {'Z', 'z'},  {'M', 'm'}, {'P', 'p'},
};

bool composition_ok(const std::string& typed) {
  for (char c : typed) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '\'' || c == '-';
    if (!ok) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static sorla::Engine engine =
      std::get<sorla::Engine>(sorla::Engine::from_bytes(sorla::seed_words()));
  sorla::Engine local = engine;
  sorla::Session session(local);
  std::vector<std::string> commits;
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    const std::uint8_t op = data[i];
    const std::uint8_t arg = data[i + 1];
    sorla::SessionOutput out;
    if (op % 16 == 0) {
      out = session.apply(sorla::input::ToggleMode);
    } else if (op % 16 == 1) {
      out = session.choose(arg % 7);
    } else if (op % 16 == 2) {
      out = session.reset();
    } else if (op % 16 == 3) {
      session.selection_moved();
    } else {
      const Key& k = kKeys[arg % (sizeof kKeys / sizeof kKeys[0])];
      const sorla::Modifiers mods{(op & 0x10) != 0, (op & 0x20) != 0, (op & 0x40) != 0};
      const bool predicted =
          session.would_eat(k.code, k.ch ? std::optional<char32_t>(k.ch) : std::nullopt, mods);
      out = session.handle_key(k.code, k.ch ? std::optional<char32_t>(k.ch) : std::nullopt, mods);
      (void)predicted;
    }
    if (out.retract) {
      if (commits.empty() || commits.back() != *out.retract) std::abort();
      commits.pop_back();
    }
    if (!out.commit.empty()) commits.push_back(out.commit);
    const sorla::SessionView v = session.view();
    if (v.candidates.size() > 5) std::abort();
    if (!composition_ok(v.typed)) std::abort();
    if (session.undo().size() > sorla::Session::kUndoDepth) std::abort();
    if (v.typed.empty() && !v.candidates.empty()) std::abort();
    if (!v.candidates.empty() && v.selected >= v.candidates.size()) std::abort();
  }
  return 0;
}
