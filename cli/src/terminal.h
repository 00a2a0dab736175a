// Raw keyboard input on a terminal, always given back: on scope exit, at
// exit, and on SIGINT, SIGTERM, SIGHUP and SIGTSTP.
#pragma once

namespace sorla::cli {

class RawTerminal {
 public:
  // Puts the terminal of `fd` in raw mode (no echo, no line editing, no
  // signal keys, so Ctrl+C arrives as a byte) and switches to the alternate
  // screen; `ok()` is false when that failed.
  explicit RawTerminal(int fd);
  RawTerminal(const RawTerminal&) = delete;
  RawTerminal& operator=(const RawTerminal&) = delete;
  ~RawTerminal();

  bool ok() const { return ok_; }

 private:
  bool ok_ = false;
};

// Set by SIGINT, SIGTERM or SIGHUP: the program should end.
bool quit_requested();

// Set when the screen must be drawn again (window resized, job resumed);
// reading clears it.
bool take_redraw_request();

}  // namespace sorla::cli
