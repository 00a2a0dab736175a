#include "key_decoder.h"

#include "sorla/text.h"

namespace sorla::cli {
namespace {

// Windows virtual keys of editing and function keys (Page Up and Page Down
// are the session's, turning pages); such keys end a word
// being typed and then go to the application.
constexpr std::uint32_t kVkHome = 36, kVkEnd = 35, kVkInsert = 45, kVkDelete = 46, kVkF1 = 112,
                        kVkOther = 0xFF;

Decoded key(KeyEvent ev, std::size_t used) { return {TermAction::Key, std::move(ev), used}; }
Decoded ignore(std::size_t used) { return {TermAction::Ignore, {}, used}; }
Decoded need_more() { return {TermAction::NeedMore, {}, 0}; }

// xterm modifier parameter: 1 + (shift | alt << 1 | ctrl << 2).
Modifiers modifiers_from(int param) {
  Modifiers m;
  if (param > 1) {
    const int bits = param - 1;
    m.shift = bits & 1;
    m.alt = bits & 2;
    m.ctrl = bits & 4;
  }
  return m;
}

KeyEvent special(std::uint32_t vk, Modifiers mods) {
  KeyEvent ev = named_key(vk, mods.shift);
  ev.mods = mods;
  return ev;
}

std::uint32_t arrow_vk(char final) {
  switch (final) {
    case 'A':
      return vk::Up;
    case 'B':
      return vk::Down;
    case 'C':
      return vk::Right;
    case 'D':
      return vk::Left;
    case 'H':
      return kVkHome;
    case 'F':
      return kVkEnd;
    default:
      return 0;
  }
}

std::uint32_t tilde_vk(int code) {
  switch (code) {
    case 1:
    case 7:
      return kVkHome;
    case 2:
      return kVkInsert;
    case 3:
      return kVkDelete;
    case 4:
    case 8:
      return kVkEnd;
    case 5:
      return vk::Prior;
    case 6:
      return vk::Next;
    default:
      return kVkOther;
  }
}

// ESC [ params final.
Decoded decode_csi(std::string_view b, bool more) {
  std::size_t i = 2;
  while (i < b.size() && static_cast<unsigned char>(b[i]) >= 0x20 &&
         static_cast<unsigned char>(b[i]) <= 0x3F) {
    ++i;
  }
  if (i >= b.size()) return more ? need_more() : ignore(b.size());
  const char final = b[i];
  if (static_cast<unsigned char>(final) < 0x40 || static_cast<unsigned char>(final) > 0x7E) {
    return ignore(i);  // broken sequence: drop what came before the stray byte
  }
  const std::size_t used = i + 1;
  int params[2] = {0, 0};
  int n = 0;
  for (std::size_t k = 2; k < i && n < 2; ++k) {
    if (b[k] >= '0' && b[k] <= '9') {
      params[n] = params[n] * 10 + (b[k] - '0');
      if (params[n] > 1000) params[n] = 1000;
    } else if (b[k] == ';') {
      ++n;
    }
  }
  const Modifiers mods = modifiers_from(params[1]);
  if (final == 'Z') return key(named_key(vk::Tab, true), used);
  if (const std::uint32_t vk = arrow_vk(final)) return key(special(vk, mods), used);
  if (final == '~') return key(special(tilde_vk(params[0]), mods), used);
  return key(special(kVkOther, mods), used);
}

// ESC O final (application cursor keys, F1 to F4).
Decoded decode_ss3(std::string_view b, bool more) {
  if (b.size() < 3) return more ? need_more() : ignore(b.size());
  if (const std::uint32_t vk = arrow_vk(b[2])) return key(special(vk, {}), 3);
  if (b[2] >= 'P' && b[2] <= 'S') {
    return key(special(kVkF1 + static_cast<std::uint32_t>(b[2] - 'P'), {}), 3);
  }
  return key(special(kVkOther, {}), 3);
}

Decoded decode_escape(std::string_view b, bool more) {
  if (b.size() == 1) return more ? need_more() : key(named_key(vk::Escape), 1);
  if (b[1] == '[') return decode_csi(b, more);
  if (b[1] == 'O') return decode_ss3(b, more);
  const auto c = static_cast<unsigned char>(b[1]);
  if (c > 0x20 && c < 0x7F) {  // Alt with a printable key
    KeyEvent ev = ctrl_key(c);
    ev.mods.ctrl = false;
    ev.mods.alt = true;
    return key(ev, 2);
  }
  return key(named_key(vk::Escape), 1);
}

Decoded decode_utf8(std::string_view b, bool more) {
  const auto lead = static_cast<unsigned char>(b[0]);
  const std::size_t len = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
  if (len == 0) return ignore(1);
  if (b.size() < len) {
    for (std::size_t k = 1; k < b.size(); ++k) {
      if ((static_cast<unsigned char>(b[k]) & 0xC0) != 0x80) return ignore(1);
    }
    return more ? need_more() : ignore(b.size());
  }
  const std::string_view seq = b.substr(0, len);
  if (!is_valid_utf8(seq)) return ignore(1);
  std::size_t pos = 0;
  const char32_t c = next_char(seq, pos);
  if (c >= 0x80 && c <= 0x9F) return ignore(len);
  return key(key_for_char(c), len);
}

}  // namespace

Decoded decode_terminal_key(std::string_view b, bool more) {
  const auto c = static_cast<unsigned char>(b[0]);
  switch (c) {
    case 0x1B:
      return decode_escape(b, more);
    case 0x03:  // Ctrl+C
    case 0x04:  // Ctrl+D
      return {TermAction::Quit, {}, 1};
    case kToggleByte:
      return key(toggle_key(), 1);
    case 0x7F:
    case 0x08:
      return key(named_key(vk::Back), 1);
    case 0x09:
      return key(named_key(vk::Tab), 1);
    case 0x0D:
    case 0x0A:
      return key(named_key(vk::Return), 1);
    default:
      break;
  }
  if (c >= 0x01 && c <= 0x1A) return key(ctrl_key(static_cast<char32_t>('a' + c - 1)), 1);
  if (c < 0x20) return ignore(1);
  if (c < 0x80) return key(key_for_char(c), 1);
  return decode_utf8(b, more);
}

}  // namespace sorla::cli
