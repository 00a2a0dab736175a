#include "sorla/learn.h"

#include <algorithm>

#include "learn_json.h"
#include "sorla/normalize.h"

namespace sorla {

void LearnedStore::record(std::string_view typed, std::string_view picked,
                          const std::optional<std::string>& previous) {
  PickKey key{letters(typed), std::string(picked), previous};
  if (key.typed.empty() || key.picked.empty()) return;
  auto it = entries_.try_emplace(std::move(key), 0).first;
  // An imported count can already be at the maximum; it stays there.
  it->second = saturating_add(it->second, 1);
  note_unsaved(it->first, 1);
  evict(&it->first);
}

void LearnedStore::unrecord(std::string_view typed, std::string_view picked,
                            const std::optional<std::string>& previous) {
  const PickKey key{letters(typed), std::string(picked), previous};
  if (const auto it = entries_.find(key); it != entries_.end()) {
    if (it->second <= 1) {
      entries_.erase(it);
    } else {
      --it->second;
    }
    note_unsaved(key, -1);
  } else if (const auto u = unsaved_.find(key); u != unsaved_.end() && u->second > 0) {
    // Counted here and evicted since: the save must not add it after all.
    note_unsaved(key, -1);
  }
}

void LearnedStore::note_unsaved(const PickKey& key, std::int64_t change) {
  const auto it = unsaved_.try_emplace(key, 0).first;
  it->second += change;
  if (it->second == 0) unsaved_.erase(it);
}

LearnedStore LearnedStore::merged_onto(LearnedStore saved) const {
  saved.unsaved_.clear();
  for (const auto& [key, change] : unsaved_) {
    if (change > 0) {
      auto& count = saved.entries_.try_emplace(key, 0).first->second;
      count = saturating_add(count,
                             static_cast<std::uint32_t>(std::min<std::int64_t>(change, kMaxCount)));
      continue;
    }
    const auto it = saved.entries_.find(key);
    if (it == saved.entries_.end()) continue;
    const std::uint64_t back = static_cast<std::uint64_t>(-change);
    if (back >= it->second) {
      saved.entries_.erase(it);
    } else {
      it->second -= static_cast<std::uint32_t>(back);
    }
  }
  // The picks this store just made are what the user expects to see kept:
  // at the cap the file's older picks go first.
  saved.evict(nullptr, &unsaved_);
  return saved;
}

std::vector<LearnedTally> LearnedStore::tally(std::string_view typed,
                                              const std::optional<std::string>& previous) const {
  std::vector<LearnedTally> rows;
  // (letter key, "", absent) is the smallest key with this letter key.
  const PickKey first{letters(typed), {}, std::nullopt};
  if (first.typed.empty()) return rows;
  for (auto it = entries_.lower_bound(first);
       it != entries_.end() && it->first.typed == first.typed; ++it) {
    const auto& [key, count] = *it;
    if (rows.empty() || rows.back().picked != key.picked) rows.push_back({key.picked, 0, 0});
    LearnedTally& row = rows.back();
    row.total = saturating_add(row.total, count);
    if (previous && key.previous && *previous == *key.previous) {
      row.after_previous = saturating_add(row.after_previous, count);
    }
  }
  return rows;
}

std::string LearnedStore::export_json() const { return write_learned_json(entries_); }

std::variant<LearnedStore, ImportError> LearnedStore::import_json(std::string_view bytes) {
  auto read = read_learned_json(bytes);
  if (auto* error = std::get_if<ImportError>(&read)) return *error;
  // Keys come in order: each goes in at the end of the map.
  LearnedStore store;
  for (auto& [key, count] : std::get<Picks>(read)) {
    store.entries_.emplace_hint(store.entries_.end(), std::move(key), count);
  }
  store.evict(nullptr);
  return store;
}

void LearnedStore::evict(const PickKey* protected_key, const Unsaved* increased) {
  if (entries_.size() <= kCap) return;
  const auto keep = protected_key ? entries_.find(*protected_key) : entries_.end();
  const auto was_increased = [&](const PickKey& key) {
    if (increased == nullptr) return false;
    const auto u = increased->find(key);
    return u != increased->end() && u->second > 0;
  };

  // Lowest counts go first, and picks counted up since the last save only
  // after all others.
  using Iter = std::map<PickKey, std::uint32_t>::iterator;
  std::vector<std::pair<bool, Iter>> order;
  order.reserve(entries_.size());
  for (auto it = entries_.begin(); it != entries_.end(); ++it) {
    if (it != keep) order.emplace_back(was_increased(it->first), it);
  }
  std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) {
    return a.first != b.first ? b.first : a.second->second < b.second->second;
  });

  const std::size_t excess = entries_.size() - kTarget;
  for (std::size_t i = 0; i < excess; ++i) entries_.erase(order[i].second);
}

}  // namespace sorla
