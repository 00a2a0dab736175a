// The word data the text service types with: the file "words.srla" beside
// the DLL when it is there and sound, else the built-in seed list. Its
// prebuilt index "words.sidx", when it is there, sound and built from that
// very word data, is mapped and read in place instead of building an engine:
// every application then shares one copy of the tables.
#pragma once

#include <filesystem>

#include "sorla/engine.h"

namespace sorla::word_data {

inline constexpr wchar_t kFileName[] = L"words.srla";
inline constexpr wchar_t kIndexFileName[] = L"words.sidx";

// The engine for a DLL in `folder`: opened on the word data's index, else
// built from the word data, else from the seed list when that file is
// missing, empty, too large, unreadable or refused by the reader. Nothing of
// a bad file reaches the user.
Engine load_engine(const std::filesystem::path& folder);

// The folder of this DLL (of the program, in tests that link the code in).
std::filesystem::path dll_folder();

}  // namespace sorla::word_data
