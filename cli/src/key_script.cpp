#include "key_script.h"

#include <optional>

#include "sorla/text.h"

namespace sorla::cli {
namespace {

std::optional<KeyEvent> named(std::string_view name) {
  if (name == "space") return key_for_char(' ');
  if (name == "enter") return named_key(vk::Return);
  if (name == "tab") return named_key(vk::Tab);
  if (name == "shift+tab") return named_key(vk::Tab, true);
  if (name == "left") return named_key(vk::Left);
  if (name == "right") return named_key(vk::Right);
  if (name == "up") return named_key(vk::Up);
  if (name == "down") return named_key(vk::Down);
  if (name == "esc") return named_key(vk::Escape);
  if (name == "bksp") return named_key(vk::Back);
  if (name == "toggle") return toggle_key();
  constexpr std::string_view kCtrl = "ctrl+";
  if (name.starts_with(kCtrl) && name.size() > kCtrl.size()) {
    const std::string_view rest = name.substr(kCtrl.size());
    std::size_t pos = 0;
    const char32_t c = next_char(rest, pos);
    if (pos == rest.size() && c > 0x20 && us_key(c)) return ctrl_key(c);
  }
  return std::nullopt;
}

}  // namespace

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

}  // namespace sorla::cli
