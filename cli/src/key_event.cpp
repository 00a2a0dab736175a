#include "key_event.h"

#include <array>
#include <string_view>

#include "utf8.h"

namespace sorla::cli {
namespace {

struct Punct {
  char plain;
  char shifted;
  std::uint32_t vk;
};

// The punctuation keys of the US layout, the same table the text service
// uses to turn keys back into characters.
constexpr std::array<Punct, 11> kPunct{{{';', ':', 186},
                                        {'=', '+', 187},
                                        {',', '<', 188},
                                        {'-', '_', 189},
                                        {'.', '>', 190},
                                        {'/', '?', 191},
                                        {'`', '~', 192},
                                        {'[', '{', 219},
                                        {'\\', '|', 220},
                                        {']', '}', 221},
                                        {'\'', '"', 222}}};

constexpr std::string_view kShiftedDigits = ")!@#$%^&*(";

std::string name_of(std::uint32_t vk, bool shift) {
  switch (vk) {
    case vk::Back:
      return "{bksp}";
    case vk::Tab:
      return shift ? "{shift+tab}" : "{tab}";
    case vk::Return:
      return "{enter}";
    case vk::Escape:
      return "{esc}";
    case vk::Space:
      return "{space}";
    case vk::Left:
      return "{left}";
    case vk::Right:
      return "{right}";
    case vk::Up:
      return "{up}";
    case vk::Down:
      return "{down}";
    default:
      return "{key " + std::to_string(vk) + "}";
  }
}

}  // namespace

std::optional<UsKey> us_key(char32_t c) {
  if (c >= 'a' && c <= 'z') return UsKey{static_cast<std::uint32_t>(c - 'a' + 'A'), false};
  if (c >= 'A' && c <= 'Z') return UsKey{static_cast<std::uint32_t>(c), true};
  if (c >= '0' && c <= '9') return UsKey{static_cast<std::uint32_t>(c), false};
  if (c == ' ') return UsKey{vk::Space, false};
  if (c < 0x80) {
    const auto pos = kShiftedDigits.find(static_cast<char>(c));
    if (pos != std::string_view::npos) return UsKey{static_cast<std::uint32_t>('0' + pos), true};
    for (const Punct& p : kPunct) {
      if (static_cast<char>(c) == p.plain) return UsKey{p.vk, false};
      if (static_cast<char>(c) == p.shifted) return UsKey{p.vk, true};
    }
  }
  return std::nullopt;
}

KeyEvent key_for_char(char32_t c) {
  if (c == '\t') return named_key(vk::Tab);
  if (c == '\n' || c == '\r') return named_key(vk::Return);
  KeyEvent ev;
  ev.ch = c;
  if (const auto key = us_key(c)) {
    ev.vk = key->vk;
    ev.mods.shift = key->shift;
  } else {
    ev.vk = kVkPacket;
  }
  ev.label = c == '{' ? std::string("{{") : c == ' ' ? std::string("{space}") : encode_utf8(c);
  return ev;
}

KeyEvent named_key(std::uint32_t code, bool shift) {
  KeyEvent ev;
  ev.vk = code;
  ev.mods.shift = shift;
  ev.label = name_of(code, shift);
  return ev;
}

KeyEvent ctrl_key(char32_t c) {
  KeyEvent ev;
  if (const auto key = us_key(c)) {
    ev.vk = key->vk;
    ev.mods.shift = key->shift;
  } else {
    ev.vk = kVkPacket;
  }
  ev.mods.ctrl = true;
  ev.label = "{ctrl+" + encode_utf8(c) + "}";
  return ev;
}

KeyEvent toggle_key() {
  KeyEvent ev;
  ev.toggle = true;
  ev.label = "{toggle}";
  return ev;
}

}  // namespace sorla::cli
