// The word data the text service types with: the file "words-v3.srla"
// beside the DLL when it is there and sound, else the built-in seed list. Its
// prebuilt index "words-v3-index-v6.sidx", when it is there, sound and built from that
// very word data, is mapped and read in place instead of building an engine:
// every application then shares one copy of the tables.
#pragma once

#include <filesystem>

#include "sorla/engine.h"
#include "sorla/format.h"
#include "sorla/index_file.h"

namespace sorla::word_data {

// Named after the newest data file version this DLL reads. An upgrade sets a
// DLL that a running application holds aside, and that DLL opens its word
// data by name at each activation until Windows restarts: under its own name
// it keeps finding its own data (the setup keeps files it no longer ships
// until then), never a newer file it would refuse for the seed list.
inline constexpr wchar_t kFileName[] = L"words-v3.srla";
static_assert(kDataFileVersion == 3, "name the word data file after the data file version");
// Named after the index version too, for the same reason: a DLL set aside
// keeps mapping the index it reads instead of building its engine anew
// at each activation from an index it would refuse.
inline constexpr wchar_t kIndexFileName[] = L"words-v3-index-v6.sidx";
static_assert(kIndexVersion == 6, "name the index file after the index version");

// The engine for a DLL in `folder`: opened on the word data's index, else
// built from the word data, else from the seed list when that file is
// missing, empty, too large, unreadable or refused by the reader. Nothing of
// a bad file reaches the user.
Engine load_engine(const std::filesystem::path& folder);

// The folder of this DLL (of the program, in tests that link the code in).
std::filesystem::path dll_folder();

}  // namespace sorla::word_data
