// One report as the page receives it: the keys of the link the candidate
// window opens, and what the user adds on the page.
#pragma once

#include <optional>
#include <string>

namespace sorla::reports {

struct ReportKeys {
  std::string typed;     // the Latin letters typed
  std::string offered;   // the Khmer word highlighted, may be empty
  std::string platform;  // "windows"
  std::string app;       // the text service's version
  std::string data;      // the word data's name
};

struct Report {
  ReportKeys keys;
  std::string meant;  // the Khmer word the user meant, may be empty
  std::string note;   // free text, may be empty
};

// A message for the user when the link's keys are not acceptable: UTF-8
// everywhere, typed 1 to 64 characters of chat spelling (letters, ' and -,
// words parted by single spaces), offered at most 64 bytes
// of Khmer, the others short printable ASCII.
std::optional<std::string> check_keys(const ReportKeys& keys);
// The keys, then the word meant (at most 64 bytes of Khmer) and the note (at
// most 500 characters, no control characters but tab and line ends).
std::optional<std::string> check_report(const Report& report);

}  // namespace sorla::reports
