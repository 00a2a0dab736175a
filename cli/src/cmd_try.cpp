// `sorla try [--data FILE] [--learned FILE | --no-learn] [--words FILE]`: the interactive typing
// demo on a terminal, driven by the real session and engine.
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <ostream>

#include "command_util.h"
#include "key_decoder.h"
#include "learned_file.h"
#include "render.h"
#include "sorla/text_document.h"
#include "terminal.h"
#include "word_data.h"
#include "words_file.h"

namespace sorla::cli {
namespace {

// How long a lone ESC waits for the rest of an escape sequence.
constexpr int kEscapeWaitMs = 30;

void draw(const Screen& screen) {
  const std::string text = render_screen(screen);
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(STDOUT_FILENO, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    done += static_cast<std::size_t>(n);
  }
}

struct Demo {
  Engine& engine;
  FrontEnd front_end;
  TextDocument doc;
  std::optional<PosixStorage> learned;
  std::string status;

  Screen screen() const { return {front_end.view(), doc.text, status}; }

  void save() {
    if (!learned) return;
    // The engine knows its unsaved picks; a failed save leaves them for the next.
    const SaveOutcome saved = save_learned(*learned, engine);
    if (saved.result == SaveOutcome::Result::Failed) {
      status = "Learned picks not saved: " + saved.error;
    } else if (saved.result == SaveOutcome::Result::Busy) {
      status = "Learned picks not saved yet: another program is saving them.";
    } else if (saved.set_aside) {
      status = "The unreadable learned file was kept as " + *saved.set_aside;
    }
  }

  // A commit or a take-back is saved at once (when it changed the picks),
  // so that another program typing meanwhile has it.
  void key(const KeyEvent& key) {
    const Answer answer = press(front_end, doc, key);
    for (const EditOp& op : answer.plan) {
      if (op.kind == EditOp::Kind::Commit || op.kind == EditOp::Kind::TakeBack) return save();
    }
  }
};

// Reads and handles keys until Ctrl+C, Ctrl+D, a quit signal or the end of
// input. A lone ESC is told from the start of a sequence by a short wait.
void run_loop(Demo& demo) {
  std::string pending;
  draw(demo.screen());
  while (!quit_requested()) {
    pollfd pfd{STDIN_FILENO, POLLIN, 0};
    const int ready = ::poll(&pfd, 1, pending.empty() ? -1 : kEscapeWaitMs);
    if (ready < 0) {
      if (errno != EINTR) return;
      if (take_redraw_request()) draw(demo.screen());
      continue;
    }
    if (ready > 0) {
      char buf[256];
      const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return;
      pending.append(buf, static_cast<std::size_t>(n));
    }
    const bool timed_out = ready == 0;
    while (!pending.empty()) {
      const Decoded d = decode_terminal_key(pending, !timed_out);
      if (d.action == TermAction::NeedMore) break;
      pending.erase(0, d.used);
      if (d.action == TermAction::Quit) return;
      if (d.action == TermAction::Key) demo.key(d.key);
    }
    take_redraw_request();
    draw(demo.screen());
  }
}

}  // namespace

int run_try(const Arguments& args, Io io) {
  int status = 0;
  const auto parsed =
      parse_or_report(args, io, "try", {"--no-learn"}, {"--learned", "--words", "--data"}, status);
  if (!parsed) return status;
  if (!parsed->positional.empty()) return usage_error(io, "try", "takes no arguments");
  if (parsed->has("--no-learn") && parsed->value("--learned")) {
    return usage_error(io, "try", "--learned and --no-learn exclude each other");
  }
  if (!::isatty(STDIN_FILENO) || !::isatty(STDOUT_FILENO)) {
    io.err << "sorla try: standard input and output must be a terminal; "
              "use 'sorla type' to feed keys from a script\n";
    return kUsage;
  }

  auto built = load_engine(parsed->value("--data") ? parsed->value("--data") : shipped_word_data());
  if (const auto* error = std::get_if<std::string>(&built)) return failure(io, "try", *error);
  Engine& engine = std::get<Engine>(built);
  Demo demo{engine, FrontEnd(engine), {}, std::nullopt, {}};

  if (!parsed->has("--no-learn")) {
    const auto path =
        parsed->value("--learned") ? parsed->value("--learned") : default_learned_path();
    if (!path) {
      demo.status = "Learned picks are not kept: neither XDG_DATA_HOME nor HOME is set.";
    } else {
      demo.learned.emplace(*path);
      if (const auto message = load_message(*path, load_learned(*demo.learned, engine))) {
        io.err << "sorla try: warning: " << *message
               << "; starting without learned picks (the file will be kept aside)\n";
        demo.status = "Warning: " + *message + "; starting without learned picks.";
      } else {
        demo.status = "Learned picks: " + *path + ".";
      }
    }
  } else {
    demo.status = "Learned picks are not kept (--no-learn).";
  }

  // The typing goes on without the user's words when their file cannot be used.
  const WordsFileUse words = use_words_file(engine, parsed->value("--words"));
  if (const auto& problem = words.error ? words.error : words.warning) {
    io.err << "sorla try: warning: " << *problem << '\n';
    demo.status += " Warning: " + *problem + "; typing without your words.";
  } else if (words.path) {
    demo.status += " Your words: " + *words.path + ".";
  }

  {
    RawTerminal terminal(STDIN_FILENO);
    if (!terminal.ok()) return failure(io, "try", "cannot set up the terminal");
    run_loop(demo);
  }
  demo.save();
  // The typed text stays on the normal screen after the demo's own is gone.
  const std::string text = demo.doc.visible();
  if (!text.empty()) io.out << text << '\n';
  return 0;
}

}  // namespace sorla::cli
