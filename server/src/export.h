// The words users meant, as seed text for the next word data: one line per
// Khmer word, the word, a tab, then the spellings it was reported for, most
// reported first, each typed text as one spelling. `sorla check` and the
// word-data tools read it.
#pragma once

#include <string>
#include <vector>

#include "store.h"

namespace sorla::reports {

std::string seed_export(std::vector<Store::Spelling> spellings);

}  // namespace sorla::reports
