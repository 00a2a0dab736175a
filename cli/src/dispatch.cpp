// `sorla COMMAND ...`: picks the subcommand; `--help` lists them all.
#include <ostream>

#include "command_util.h"
#include "version.h"

namespace sorla::cli {

std::string help_text() {
  return R"(Usage: sorla COMMAND [OPTIONS] [ARGS]

Type Khmer by Latin chat spelling: tools around the Sorla suggestion engine.

Commands:
  check FILE [--list]
      Read a seed word list text or a binary word-data file, choosing the reader
      as the engine does, and print its word count, pair count, data name and
      the ranking numbers an engine built from it uses (word term weight, exact
      bonus, completion cost, pair bonus, start penalty, gap cost, literal
      base). --list also prints every word (index, Khmer word, value, spellings)
      and pair (first, second, count). A file that compile would refuse gives
      its message and exit status 1: one over 16 MiB, a seed line that is not
      UTF-8 or has a control character in a word or spelling, or a list the
      binary form cannot hold.

  compile SEED.txt -o OUT.srla [--name NAME] [--ranking FILE] [--index]
      Write the binary word-data form of a seed word list, named NAME.
      --ranking makes the data carry the ranking numbers of FILE, which every
      engine made from it then ranks with: a "name = value" line for each
      number named above ("start penalty = 3"), lines starting with # and
      blank lines skipped. --index also writes its prebuilt index beside it
      (OUT.sidx): the engine's tables laid out to be mapped and read in place.

  match [--complete] [--json] [--data FILE] [TEXT...]
      The matcher's results for each typed TEXT against the built-in word list
      (or FILE) at cost limit 2.8: word index, Khmer word, cost, exact or
      inexact. --complete also matches spellings that TEXT only begins.
      Without TEXT, reads one typed text per line from standard input.
      --json prints one line per text:
      {"typed":"...","matches":[{"word":0,"text":"...","cost":0,"exact":true}]}

  suggest [--previous TEXT] [--learned FILE] [--data FILE] [--json] [TEXT...]
      The engine's suggestions for each typed TEXT: rank, Khmer text, score.
      --previous gives the word typed before; --learned imports the learned
      picks of FILE first; --data builds the engine from FILE (seed text or
      binary) instead of the built-in list. Without TEXT, reads one typed
      text per line from standard input. --json prints one line per text:
      {"typed":"...","suggestions":[{"text":"...","score":4.97727966}]}

  type [--learned FILE [--save]] [--data FILE] [--json] SCRIPT...
      Feed a key script through a typing session and print the resulting
      document: the commits with undone ones taken back, then the letters
      still being typed. Characters stand for their keys on a US keyboard
      (a space is the Space key, capitals hold Shift); named keys go in
      braces: {space} {enter} {tab} {shift+tab} {left} {right} {up} {down}
      {esc} {bksp} {toggle} (Khmer/English) {ctrl+X}; "{{" is a brace.
      Several SCRIPTs are typed one after the other. --learned imports the
      learned picks of FILE first; --save writes them back to FILE at the
      end. --json prints one line per key instead: the key, the session's
      output (commit, retract, eaten), its view (typed, candidates,
      selected, english) and the document so far.
      Example: sorla type "khnhom chong tov "

  try [--data FILE] [--learned FILE | --no-learn]
      Interactive typing demo in this terminal, with the shipped word data
      (data/lexicon/words.srla of the source tree; the built-in list when it
      is missing) or FILE. Letters type, 1-5 pick a
      candidate, Space/Enter/Tab commit the highlighted one, the arrows move
      the highlight, "." adds the Khmer full stop, Esc keeps the letters as
      typed, Backspace deletes a letter or undoes recent commits, Ctrl+T
      switches Khmer/English (standing for a Shift tap), Ctrl+C or Ctrl+D
      quits. Learned picks are loaded from and saved to
      $XDG_DATA_HOME/sorla/learned.json (else ~/.local/share/sorla/learned.json)
      or FILE; --no-learn neither loads nor saves them. Needs a terminal.

  report-url [--base URL] [--offered WORD] [--data-name NAME] TYPED
      The missing-word report link the candidate window's flag opens for
      TYPED with WORD highlighted, on the report page at URL (default
      http://127.0.0.1:8080/report, where `make serve` listens); NAME is the
      word data's name (default: seed).

  learned path | export | import FILE  [--learned TARGET]
      Show where the learned picks are kept, print them as a learned-data
      document, or replace them with the checked document FILE.

Options:
  --help, -h     Show this help.
  --version      Show the version.

Exit status: 0 on success, 1 on failure, 2 on wrong use.
)";
}

int run_sorla(const Arguments& args, Io io) {
  if (args.empty()) return usage_error(io, "", "expects a COMMAND");
  const std::string& command = args[0];
  const Arguments rest(args.begin() + 1, args.end());
  for (const std::string& arg : rest) {
    if (arg == "--") break;
    if (arg == "--help" || arg == "-h") {
      io.out << help_text();
      return 0;
    }
  }
  if (command == "--help" || command == "-h" || command == "help") {
    io.out << help_text();
    return 0;
  }
  if (command == "--version") {
    io.out << "sorla " SORLA_VERSION_STRING "\n";
    return 0;
  }
  if (command == "check") return run_check(rest, io);
  if (command == "compile") return run_compile(rest, io);
  if (command == "match") return run_match(rest, io);
  if (command == "suggest") return run_suggest(rest, io);
  if (command == "type") return run_type(rest, io);
  if (command == "try") return run_try(rest, io);
  if (command == "learned") return run_learned(rest, io);
  if (command == "report-url") return run_report_url(rest, io);
  return usage_error(io, "", "unknown command " + command);
}

}  // namespace sorla::cli
