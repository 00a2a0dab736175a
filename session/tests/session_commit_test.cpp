// Composing, committing, the khan, undo and the mode switch, through apply.
#include <string>

#include "session_fixture.h"

namespace sorla {
namespace {

// Letters for which the seed list offers nothing.
constexpr std::string_view kUnknown = "qqqqqxqqqq";

TEST_F(SessionTest, LettersAskTheEngineAndKeepItsOrder) {
  type("Sabay");
  EXPECT_EQ(session.typed(), "Sabay");
  ASSERT_FALSE(session.candidates().empty());
  EXPECT_EQ(session.candidates().front(), kSabay);
  EXPECT_EQ(session.candidates(), suggested("Sabay", std::nullopt));

  ASSERT_GE(session.candidates().size(), 2u);
  session.apply(input::Right);
  EXPECT_EQ(session.selected(), 1u);
  EXPECT_EQ(session.apply(input::Backspace), kEatenNothing);
  EXPECT_EQ(session.typed(), "Saba");
  EXPECT_EQ(session.selected(), 0u);  // every change of the letters starts over
  EXPECT_EQ(session.candidates(), suggested("Saba", std::nullopt));

  for (int i = 0; i < 4; ++i) session.apply(input::Backspace);
  EXPECT_EQ(session.view(), SessionView{});
}

TEST_F(SessionTest, SpaceCommitsTheSelectedCandidateAndLearnsIt) {
  type("Sabay");
  EXPECT_EQ(session.apply(input::Space), committed(kSabay));
  EXPECT_EQ(session.view(), SessionView{});
  EXPECT_EQ(session.previous(), kSabay);
  EXPECT_EQ(engine.learned(), learned_after({{"Sabay", kSabay, std::nullopt}}));

  // The next word is suggested and learned after the previous one.
  type("te");
  EXPECT_EQ(session.candidates(), suggested("te", kSabay));
  ASSERT_GE(session.candidates().size(), 2u);
  session.apply(input::Right);
  const std::string second = session.candidates()[1];
  EXPECT_EQ(session.apply(input::Enter), committed(second));
  EXPECT_EQ(session.previous(), second);
  EXPECT_EQ(engine.learned(),
            learned_after({{"Sabay", kSabay, std::nullopt}, {"te", second, kSabay}}));
  ASSERT_EQ(session.undo().size(), 2u);
  EXPECT_EQ(session.undo().back().text, second);
  ASSERT_TRUE(session.undo().back().pick);
  EXPECT_EQ(session.undo().back().pick->previous, kSabay);
}

TEST_F(SessionTest, FullStopAloneCommitsTheKhan) {
  type("sabay");
  session.apply(input::Space);
  EXPECT_EQ(session.apply('.'), committed(kKhan));
  EXPECT_EQ(session.previous(), std::nullopt);
  ASSERT_EQ(session.undo().size(), 2u);
  EXPECT_EQ(session.undo().back().text, kKhan);
  EXPECT_FALSE(session.undo().back().pick);
  const LearnedStore before = engine.learned();
  EXPECT_EQ(session.apply(input::Backspace), retracted(kKhan));
  EXPECT_EQ(engine.learned(), before);  // nothing to unlearn for the khan
}

TEST_F(SessionTest, FullStopWhileComposingIsUndoneWithItsWord) {
  type("sabay");
  EXPECT_EQ(session.apply('.'), committed(kSabay + kKhan));
  EXPECT_EQ(session.previous(), std::nullopt);
  EXPECT_EQ(engine.learned(), learned_after({{"sabay", kSabay, std::nullopt}}));

  EXPECT_EQ(session.apply(input::Backspace), retracted(kSabay + kKhan));
  EXPECT_EQ(engine.learned(), LearnedStore{});
  EXPECT_EQ(session.apply(input::Backspace), kLetThrough);

  // The highlighted candidate is the one committed.
  type("sabay");
  session.apply(input::Down);
  const std::string second = session.candidates()[1];
  EXPECT_EQ(session.apply('.'), committed(second + kKhan));
}

TEST_F(SessionTest, OtherCharactersCommitTheWordAndFollowIt) {
  type("sabay");
  EXPECT_EQ(session.apply(','), committed(kSabay + ","));
  EXPECT_EQ(session.previous(), std::nullopt);
  type("sabay");
  EXPECT_EQ(session.apply(U'\u00E9'), committed(kSabay + "\xC3\xA9"));
  EXPECT_EQ(session.apply(input::Backspace), retracted(kSabay + "\xC3\xA9"));
  EXPECT_EQ(session.apply(input::Backspace), retracted(kSabay + ","));
  EXPECT_EQ(engine.learned(), LearnedStore{});

  // Without candidates the letters go out as typed.
  type(kUnknown);
  EXPECT_EQ(session.apply('!'), committed(std::string(kUnknown) + "!"));
}

TEST_F(SessionTest, EscapeAndTabWithoutCandidatesCommitTheLettersUnlearned) {
  type("sabay");
  session.apply(input::Space);
  type("sabay");
  EXPECT_EQ(session.apply(input::Escape), committed("sabay"));
  EXPECT_EQ(session.previous(), std::nullopt);
  EXPECT_FALSE(session.undo().back().pick);
  type(kUnknown);
  ASSERT_TRUE(session.candidates().empty());
  EXPECT_EQ(session.apply(input::Tab), committed(std::string(kUnknown)));
  EXPECT_EQ(engine.learned(), learned_after({{"sabay", kSabay, std::nullopt}}));

  // Raw commits are undone without touching the learned picks.
  EXPECT_EQ(session.apply(input::Backspace), retracted(std::string(kUnknown)));
  EXPECT_EQ(session.apply(input::Backspace), retracted("sabay"));
  EXPECT_EQ(engine.learned(), learned_after({{"sabay", kSabay, std::nullopt}}));
}

TEST_F(SessionTest, EnterOrSpaceWithoutCandidatesLetTheKeyFollowTheLetters) {
  type("sabay");
  session.apply(input::Space);
  for (const SessionInput key : {input::Enter, input::Space}) {
    type(kUnknown);
    ASSERT_TRUE(session.candidates().empty());
    EXPECT_EQ(session.apply(key), committed(std::string(kUnknown), false));
    EXPECT_TRUE(session.undo().empty());
    EXPECT_EQ(session.apply(input::Backspace), kLetThrough);
  }
}

TEST_F(SessionTest, DigitsChooseOnlyCandidatesThatExist) {
  type("sabay");
  const std::size_t count = session.candidates().size();
  ASSERT_GE(count, 2u);
  ASSERT_LT(count, 9u);
  const SessionView before = session.view();
  EXPECT_EQ(session.apply('1' + count), kEatenNothing);
  EXPECT_EQ(session.apply('0'), kEatenNothing);
  EXPECT_EQ(session.view(), before);

  const std::string second = session.candidates()[1];
  EXPECT_EQ(session.apply('2'), committed(second));
  EXPECT_EQ(engine.learned(), learned_after({{"sabay", second, std::nullopt}}));

  // With nothing typed a digit is an ordinary key: it ends the word history.
  EXPECT_EQ(session.apply('1'), kLetThrough);
  EXPECT_EQ(session.previous(), std::nullopt);
  EXPECT_TRUE(session.undo().empty());
}

TEST_F(SessionTest, ArrowsWrapAroundTheCandidates) {
  type("sabay");
  const std::size_t count = session.candidates().size();
  ASSERT_GE(count, 3u);
  EXPECT_EQ(session.apply(input::Left), kEatenNothing);
  EXPECT_EQ(session.selected(), count - 1);
  EXPECT_EQ(session.apply(input::Right), kEatenNothing);
  EXPECT_EQ(session.selected(), 0u);
  session.apply(input::Up);
  EXPECT_EQ(session.selected(), count - 1);
  session.apply(input::Down);
  session.apply(input::Down);
  EXPECT_EQ(session.selected(), 1u);
  EXPECT_EQ(session.apply(input::ShiftTab), kEatenNothing);
  EXPECT_EQ(session.selected(), 1u);

  session.apply(input::Escape);
  type(kUnknown);
  for (SessionInput in : {input::Left, input::Right, input::Up, input::Down}) {
    EXPECT_EQ(session.apply(in), kEatenNothing);
    EXPECT_EQ(session.selected(), 0u);
  }
}

// Five a page; the page keys stop at either end, the arrows wrap within the
// page, digits number the page shown, and a pick from any page is learned.
TEST_F(SessionTest, PagesOfFive) {
  type("ot");
  const std::vector<std::string> all = session.candidates();
  ASSERT_GT(all.size(), 7u);
  ASSERT_LE(all.size(), 10u);
  const std::vector<std::string> second(all.begin() + 5, all.end());
  EXPECT_EQ(session.view().candidates, std::vector(all.begin(), all.begin() + 5));
  EXPECT_EQ(session.view().page_count, 2u);
  EXPECT_EQ(session.apply(input::PageUp), kEatenNothing);
  EXPECT_EQ(session.view().page, 0u);
  for (int i = 0; i < 2; ++i) EXPECT_EQ(session.apply(input::PageDown), kEatenNothing);
  SessionView v = session.view();
  EXPECT_EQ(v.page, 1u);
  EXPECT_EQ(v.candidates, second);
  EXPECT_EQ(v.selected, 0u);
  session.apply(input::Left);
  EXPECT_EQ(session.selected(), all.size() - 1);
  session.apply(input::Down);
  session.apply(input::Down);
  EXPECT_EQ(session.selected(), 6u);
  session.select(2);
  EXPECT_EQ(session.view().page, 0u);
  session.select(7);
  EXPECT_EQ(session.view().page, 1u);
  EXPECT_EQ(session.view().selected, 2u);
  EXPECT_EQ(session.apply(static_cast<SessionInput>('1' + second.size())), kEatenNothing);
  EXPECT_EQ(session.apply('2'), committed(second[1]));
  EXPECT_EQ(engine.learned(), learned_after({{"ot", second[1], std::nullopt}}));

  // Space, Enter and Tab commit the highlighted one on a further page.
  for (const SessionInput key : {input::Space, input::Enter, input::Tab}) {
    type("ot");
    session.apply(input::PageDown);
    session.apply(input::Right);
    const std::string highlighted = session.candidates()[6];
    EXPECT_EQ(session.apply(key), committed(highlighted));
  }
}

TEST_F(SessionTest, ApostropheAndHyphenBelongOnlyInsideAWord) {
  type("sabay");
  session.apply(input::Space);
  EXPECT_EQ(session.apply('\''), kLetThrough);
  EXPECT_EQ(session.apply('-'), kLetThrough);
  EXPECT_EQ(session.previous(), std::nullopt);
  EXPECT_TRUE(session.undo().empty());

  type("sa-b'ay");
  EXPECT_EQ(session.typed(), "sa-b'ay");
  EXPECT_EQ(session.candidates(), suggested("sa-b'ay", std::nullopt));
}

TEST_F(SessionTest, IdleKeysWithoutAMeaningEmptyTheUndoRing) {
  for (SessionInput in :
       {SessionInput{input::Escape}, SessionInput{input::Space}, SessionInput{input::Enter},
        SessionInput{input::Tab}, SessionInput{input::ShiftTab}, SessionInput{input::Left},
        SessionInput{input::Down}, SessionInput{'#'}, SessionInput{'0'}}) {
    type("sabay");
    session.apply(input::Space);
    EXPECT_EQ(session.apply(in), kLetThrough) << in;
    EXPECT_EQ(session.previous(), std::nullopt) << in;
    EXPECT_TRUE(session.undo().empty()) << in;
  }
}

TEST_F(SessionTest, UndoRingTakesBackTheLast32CommitsNewestFirst) {
  std::vector<std::string> texts;
  for (int i = 0; i < 33; ++i) {
    texts.push_back({static_cast<char>('a' + i / 26), static_cast<char>('a' + i % 26)});
    type(texts.back());
    ASSERT_EQ(session.apply(input::Escape), committed(texts.back()));
  }
  EXPECT_EQ(session.undo().size(), Session::kUndoDepth);
  for (int i = 32; i >= 1; --i) {
    EXPECT_EQ(session.apply(input::Backspace), retracted(texts[i])) << i;
  }
  EXPECT_EQ(session.apply(input::Backspace), kLetThrough);
}

TEST_F(SessionTest, UndoingCandidateCommitsUnlearnsThem) {
  type("sabay");
  session.apply(input::Space);
  const LearnedStore after_first = engine.learned();
  for (int i = 0; i < 32; ++i) {
    type("sabay");
    ASSERT_EQ(session.apply(input::Space), committed(kSabay));
  }
  EXPECT_EQ(session.undo().size(), Session::kUndoDepth);
  for (int i = 0; i < 32; ++i) {
    ASSERT_EQ(session.apply(input::Backspace), retracted(kSabay)) << i;
  }
  EXPECT_EQ(session.apply(input::Backspace), kLetThrough);
  // The first commit fell out of the ring and stays learned.
  EXPECT_EQ(engine.learned(), after_first);
}

TEST_F(SessionTest, ToggleModeCommitsTheLettersAndSwitches) {
  type("sabay");
  session.apply(input::Space);
  type("sab");
  EXPECT_EQ(session.apply(input::ToggleMode), committed("sab"));
  EXPECT_TRUE(session.english());
  EXPECT_TRUE(session.undo().empty());
  EXPECT_EQ(session.previous(), std::nullopt);

  for (SessionInput in : {SessionInput{'a'}, SessionInput{'.'}, SessionInput{'1'},
                          SessionInput{input::Backspace}, SessionInput{input::Space}}) {
    EXPECT_EQ(session.apply(in), kLetThrough) << in;
  }
  EXPECT_EQ(session.view(), (SessionView{"", {}, 0, true}));
  EXPECT_EQ(session.choose(0), kLetThrough);

  EXPECT_EQ(session.apply(input::ToggleMode), kEatenNothing);
  EXPECT_FALSE(session.english());
}

TEST_F(SessionTest, ResetCommitsTheLettersAndForgetsTheHistory) {
  type("sabay");
  session.apply(input::Space);
  type("sab");
  EXPECT_EQ(session.reset(), committed("sab", false));
  EXPECT_EQ(session.view(), SessionView{});
  EXPECT_EQ(session.previous(), std::nullopt);
  EXPECT_TRUE(session.undo().empty());
  EXPECT_EQ(session.reset(), kLetThrough);

  // The mode survives a reset.
  session.apply(input::ToggleMode);
  EXPECT_EQ(session.reset(), kLetThrough);
  EXPECT_EQ(session.view(), (SessionView{"", {}, 0, true}));
  EXPECT_TRUE(session.undo().empty());
}

TEST_F(SessionTest, ChooseCommitsTheClickedCandidate) {
  EXPECT_EQ(session.choose(0), kLetThrough);
  type("sabay");
  const std::size_t count = session.candidates().size();
  EXPECT_EQ(session.choose(count), kLetThrough);
  EXPECT_EQ(session.typed(), "sabay");

  const std::string third = session.candidates()[2];
  EXPECT_EQ(session.choose(2), committed(third));
  EXPECT_EQ(session.previous(), third);
  EXPECT_EQ(engine.learned(), learned_after({{"sabay", third, std::nullopt}}));
}

TEST_F(SessionTest, SelectionMovedForgetsTheHistoryOnlyWhenIdle) {
  type("sabay");
  session.apply(input::Space);
  type("te");
  const SessionView composing = session.view();
  session.selection_moved();
  EXPECT_EQ(session.view(), composing);
  EXPECT_EQ(session.previous(), kSabay);
  EXPECT_EQ(session.undo().size(), 1u);

  session.apply(input::Escape);
  session.selection_moved();
  EXPECT_EQ(session.previous(), std::nullopt);
  EXPECT_TRUE(session.undo().empty());
}

TEST_F(SessionTest, ValuesThatAreNoCharacterChangeNothing) {
  type("sab");
  for (SessionInput in : {SessionInput{0xD800}, SessionInput{0xDFFF},
                          SessionInput{input::PageUp + 1}, SessionInput{0xFFFFFFFF}}) {
    EXPECT_EQ(session.apply(in), kLetThrough) << in;
    EXPECT_EQ(session.typed(), "sab");
  }
}

}  // namespace
}  // namespace sorla
