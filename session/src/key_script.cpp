#include "sorla/key_script.h"

#include "sorla/keyboard.h"
#include "sorla/text.h"

namespace sorla {
namespace {

struct Named {
  std::string_view name;
  std::uint32_t vk;
  bool shift;
};

constexpr Named kNamed[] = {
    {"bksp", vk::Back, false},    {"tab", vk::Tab, false},    {"shift+tab", vk::Tab, true},
    {"enter", vk::Return, false}, {"esc", vk::Escape, false}, {"left", vk::Left, false},
    {"right", vk::Right, false},  {"up", vk::Up, false},      {"down", vk::Down, false},
    {"pgdn", vk::Next, false},    {"pgup", vk::Prior, false},
};

constexpr std::string_view kCtrl = "ctrl+";

void place(KeyEvent& key, char32_t c) {
  if (const auto us = us_key(c)) {
    key.vk = us->vk;
    key.mods.shift = us->shift;
  } else {
    key.vk = kVkPacket;
  }
}

std::optional<KeyEvent> named(std::string_view name) {
  if (name == "space") return key_for_char(' ');
  if (name == "toggle") return toggle_key();
  for (const Named& n : kNamed) {
    if (n.name == name) return named_key(n.vk, n.shift);
  }
  if (name.starts_with(kCtrl) && name.size() > kCtrl.size()) {
    const std::string_view rest = name.substr(kCtrl.size());
    std::size_t pos = 0;
    const char32_t c = next_char(rest, pos);
    if (pos == rest.size() && c > 0x20 && us_key(c)) return ctrl_key(c);
  }
  return std::nullopt;
}

}  // namespace

KeyEvent key_for_char(char32_t c) {
  if (c == '\t') return named_key(vk::Tab);
  if (c == '\n' || c == '\r') return named_key(vk::Return);
  KeyEvent key;
  key.ch = c;
  place(key, c);
  return key;
}

KeyEvent named_key(std::uint32_t code, bool shift) {
  KeyEvent key;
  key.vk = code;
  key.mods.shift = shift;
  return key;
}

KeyEvent ctrl_key(char32_t c) {
  KeyEvent key;
  place(key, c);
  key.mods.ctrl = true;  // and no character: with Ctrl down a key types none
  return key;
}

KeyEvent toggle_key() {
  KeyEvent key;
  key.toggle = true;
  return key;
}

std::variant<std::vector<KeyEvent>, std::string> parse_key_script(std::string_view script) {
  if (!is_valid_utf8(script)) return std::string("the key script is not UTF-8");
  std::vector<KeyEvent> keys;
  std::size_t pos = 0;
  while (pos < script.size()) {
    if (script[pos] == '{') {
      if (pos + 1 < script.size() && script[pos + 1] == '{') {
        keys.push_back(key_for_char('{'));
        pos += 2;
        continue;
      }
      const std::size_t close = script.find('}', pos);
      if (close == std::string_view::npos) {
        return "unclosed \"{\" in the key script (write \"{{\" for a brace)";
      }
      const std::string_view name = script.substr(pos + 1, close - pos - 1);
      const auto key = named(name);
      if (!key) return "unknown key {" + std::string(name) + "} in the key script";
      keys.push_back(*key);
      pos = close + 1;
      continue;
    }
    const char32_t c = next_char(script, pos);
    if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r') || (c >= 0x7F && c <= 0x9F)) {
      return "the key script holds a control character; name the key in braces instead";
    }
    keys.push_back(key_for_char(c));
  }
  return keys;
}

std::string key_label(const KeyEvent& key) {
  if (key.toggle) return "{toggle}";
  std::string out;
  if (key.mods.ctrl || key.mods.alt) {
    if (const auto c = key_to_char(key.vk, key.mods.shift, false)) {
      out = key.mods.ctrl ? "{ctrl+" : "{alt+";
      append_utf8(out, *c);
      out += '}';
      return out;
    }
  }
  if (key.ch) {
    if (*key.ch == ' ') return "{space}";
    if (*key.ch == '{') return "{{";
    append_utf8(out, *key.ch);
    return out;
  }
  for (const Named& n : kNamed) {
    if (n.vk == key.vk && n.shift == key.mods.shift) {
      out = '{';
      out += n.name;
      out += '}';
      return out;
    }
  }
  return "{key " + std::to_string(key.vk) + "}";
}

}  // namespace sorla
