#include "terminal.h"

#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <initializer_list>

namespace sorla::cli {
namespace {

// Plain globals: the signal handlers need them, and only one raw terminal
// exists at a time.
int g_fd = -1;
termios g_saved{};
termios g_raw{};
volatile sig_atomic_t g_active = 0;
volatile sig_atomic_t g_quit = 0;
volatile sig_atomic_t g_redraw = 0;

constexpr char kEnterScreen[] = "\x1b[?1049h\x1b[H";
constexpr char kLeaveScreen[] = "\x1b[?1049l";

void write_all(const char* s, std::size_t n) {
  while (n > 0) {
    const ssize_t w = ::write(STDOUT_FILENO, s, n);
    if (w <= 0) return;
    s += w;
    n -= static_cast<std::size_t>(w);
  }
}

// Only async-signal-safe calls: tcsetattr and write.
void restore_terminal() {
  if (!g_active) return;
  g_active = 0;
  ::tcsetattr(g_fd, TCSAFLUSH, &g_saved);
  write_all(kLeaveScreen, sizeof kLeaveScreen - 1);
}

void enter_raw() {
  ::tcsetattr(g_fd, TCSAFLUSH, &g_raw);
  write_all(kEnterScreen, sizeof kEnterScreen - 1);
  g_active = 1;
}

void on_quit_signal(int) {
  restore_terminal();
  g_quit = 1;
}

void on_stop_signal(int) {
  const int saved_errno = errno;
  const bool was_active = g_active;
  restore_terminal();
  // Stop for real with the default action, then take the terminal back.
  ::signal(SIGTSTP, SIG_DFL);
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGTSTP);
  sigprocmask(SIG_UNBLOCK, &set, nullptr);
  ::raise(SIGTSTP);
  struct sigaction sa {};
  sa.sa_handler = on_stop_signal;
  sigemptyset(&sa.sa_mask);
  ::sigaction(SIGTSTP, &sa, nullptr);
  if (was_active && !g_quit) enter_raw();
  g_redraw = 1;
  errno = saved_errno;
}

void on_resize_signal(int) { g_redraw = 1; }

void install(int sig, void (*handler)(int)) {
  struct sigaction sa {};
  sa.sa_handler = handler;
  sigemptyset(&sa.sa_mask);
  ::sigaction(sig, &sa, nullptr);  // no SA_RESTART: poll must wake up
}

}  // namespace

RawTerminal::RawTerminal(int fd) {
  if (::tcgetattr(fd, &g_saved) != 0) return;
  g_fd = fd;
  g_raw = g_saved;
  g_raw.c_iflag &= ~static_cast<tcflag_t>(BRKINT | ICRNL | INPCK | ISTRIP | IXON);
  g_raw.c_cflag |= CS8;
  g_raw.c_lflag &= ~static_cast<tcflag_t>(ECHO | ICANON | IEXTEN | ISIG);
  g_raw.c_cc[VMIN] = 1;
  g_raw.c_cc[VTIME] = 0;
  static bool at_exit_set = false;
  if (!at_exit_set) {
    std::atexit(restore_terminal);
    at_exit_set = true;
  }
  install(SIGINT, on_quit_signal);
  install(SIGTERM, on_quit_signal);
  install(SIGHUP, on_quit_signal);
  install(SIGTSTP, on_stop_signal);
  install(SIGWINCH, on_resize_signal);
  enter_raw();
  ok_ = true;
}

RawTerminal::~RawTerminal() {
  restore_terminal();
  for (const int sig : {SIGINT, SIGTERM, SIGHUP, SIGTSTP, SIGWINCH}) ::signal(sig, SIG_DFL);
}

bool quit_requested() { return g_quit != 0; }

bool take_redraw_request() {
  const bool redraw = g_redraw != 0;
  g_redraw = 0;
  return redraw;
}

}  // namespace sorla::cli
