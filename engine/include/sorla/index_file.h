// The prebuilt index of a word-data file ("SIDX"): an engine's read-only
// tables laid out flat, so that an engine opens on it where it lies (a
// file mapped read-only and shared by every process) instead of building.
//
// Layout, little-endian: a 64-byte header (magic, version, section count,
// file size, the size and XXH3-64 hash of the word data it was built from
// (for version 3 word data, the content hash its header carries),
// the index hash, the longest spelling, the pair count), a table of
// sections (offset and element count each), then the sections, each at an
// offset divisible by 8; one holds the ranking numbers the index was made
// with, which must be the ones in force. The index hash covers the
// header's last two fields, the table and the sections that carry scores
// or shown text, not the whole file (index_file.cpp says which and why).
// Writing and opening are Engine::index_bytes and Engine::open_index.
#pragma once

#include <cstdint>
#include <span>

namespace sorla {

// The file name of the index beside its word data: words.srla -> words.sidx.
inline constexpr char kIndexExtension[] = ".sidx";

// The layout version this build writes and alone opens. Files shipped
// under a fixed name carry it in that name (word_data_file.h).
inline constexpr std::uint32_t kIndexVersion = 6;

// Far above any lexicon we ship (a few MB, its index some tens of MB): a
// larger file is not ours and is not mapped.
inline constexpr std::uint64_t kMaxWordDataFileBytes = std::uint64_t{64} << 20;
inline constexpr std::uint64_t kMaxIndexFileBytes = std::uint64_t{512} << 20;

// Where in memory an index must start for its arrays to be read in place.
inline constexpr std::uint64_t kIndexAlignment = 8;

// Writes the hashes of an index's header anew for its bytes as they are now
// and for `word_data`: tests and the fuzzer change bytes behind the hashes
// to reach the layout checks. Needs at least a whole header and section
// table; the index hash is written only when the table's sections lie
// inside the index.
void reseal_index(std::span<std::uint8_t> index, std::span<const std::uint8_t> word_data);

}  // namespace sorla
