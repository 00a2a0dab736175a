// The user's learned picks: which Khmer word was chosen for which typed
// letters after which previous word, with the learned-data JSON document.
#pragma once

#include <compare>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace sorla {

struct PickKey {
  std::string typed;                    // letter key, non-empty when stored
  std::string picked;                   // Khmer word, non-empty when stored
  std::optional<std::string> previous;  // absent orders before any present

  auto operator<=>(const PickKey&) const = default;
  bool operator==(const PickKey&) const = default;
};

struct LearnedTally {
  std::string picked;
  std::uint32_t total = 0;
  std::uint32_t after_previous = 0;
  bool operator==(const LearnedTally&) const = default;
};

struct ImportError {
  enum class Kind { Invalid, UnsupportedVersion };
  Kind kind = Kind::Invalid;
  std::uint32_t version = 0;  // for UnsupportedVersion, clamped to 2^32-1
  bool operator==(const ImportError&) const = default;
};

class LearnedStore {
 public:
  static constexpr std::size_t kCap = 20000;
  static constexpr std::size_t kTarget = 18000;

  // Picks counted (positive) and taken back (negative) per key since this
  // store was imported or merged; no entry is 0. A save applies them to the
  // file as it is then, which other processes may have changed meanwhile.
  using Unsaved = std::map<PickKey, std::int64_t>;

  void record(std::string_view typed, std::string_view picked,
              const std::optional<std::string>& previous);
  void unrecord(std::string_view typed, std::string_view picked,
                const std::optional<std::string>& previous);
  // Rows in ascending bytewise order of `picked`.
  std::vector<LearnedTally> tally(std::string_view typed,
                                  const std::optional<std::string>& previous) const;

  std::string export_json() const;
  static std::variant<LearnedStore, ImportError> import_json(std::string_view bytes);

  // `saved` with this store's unsaved picks applied: counts added and taken
  // back (never below 0, an entry reaching 0 goes, saturating at 2^32-1), then
  // cut to the cap as after an import, where a pick this store counted
  // since its last save goes only after every other. The result has nothing
  // unsaved.
  LearnedStore merged_onto(LearnedStore saved) const;

  const std::map<PickKey, std::uint32_t>& entries() const { return entries_; }
  const Unsaved& unsaved() const { return unsaved_; }
  std::size_t size() const { return entries_.size(); }
  // Stores are equal when they hold the same picks, whatever is unsaved.
  bool operator==(const LearnedStore& other) const { return entries_ == other.entries_; }

 private:
  // Keeps `protected_key`; cuts keys `increased` counts up only last.
  void evict(const PickKey* protected_key, const Unsaved* increased = nullptr);
  void note_unsaved(const PickKey& key, std::int64_t change);

  std::map<PickKey, std::uint32_t> entries_;
  // Kept apart from `entries_`, so eviction never loses a pick to be saved.
  Unsaved unsaved_;
};

}  // namespace sorla
