// A session around a real engine built from the built-in seed word list.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "sorla/engine.h"
#include "sorla/session.h"

namespace sorla {

inline void PrintTo(const SessionOutput& out, std::ostream* os) {
  *os << "{commit \"" << out.commit << "\", retract "
      << (out.retract ? "\"" + *out.retract + "\"" : std::string("none")) << ", "
      << (out.eaten ? "eaten" : "not eaten") << "}";
}

inline SessionOutput committed(std::string text, bool eaten = true) {
  return SessionOutput{std::move(text), std::nullopt, eaten};
}
inline SessionOutput retracted(std::string text) {
  return SessionOutput{{}, std::move(text), true};
}
inline const SessionOutput kEatenNothing{{}, std::nullopt, true};
inline const SessionOutput kLetThrough{};

inline const std::string kSabay = "សប្បាយ";
inline const std::string kKhan = "។";

inline Engine seed_engine() { return std::get<Engine>(Engine::from_bytes(seed_words())); }

class SessionTest : public ::testing::Test {
 protected:
  Engine engine = seed_engine();
  Session session{engine};

  // Types ASCII text one character at a time; every letter must be eaten.
  void type(std::string_view text) {
    for (char c : text) {
      ASSERT_TRUE(session.apply(static_cast<unsigned char>(c)).eaten) << c;
    }
  }

  std::vector<std::string> suggested(std::string_view typed,
                                     const std::optional<std::string>& previous) const {
    std::vector<std::string> words;
    for (const Suggestion& s : engine.suggest(typed, previous, Engine::kMaxCandidates))
      words.push_back(s.text);
    return words;
  }

  // The learned store a fresh engine has after the given picks.
  static LearnedStore learned_after(const std::vector<PickRecord>& picks) {
    Engine reference = seed_engine();
    for (const PickRecord& p : picks) reference.learn(p.typed, p.picked, p.previous);
    return reference.learned();
  }
};

}  // namespace sorla
