#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "app/settings/card_history.h"

namespace {

using Ids = std::vector<int64_t>;

Ids IdsOf(const CardHistory& history) {
    const auto& ids = history.GetIds();
    return Ids(ids.GetData(), ids.GetData() + ids.GetCount());
}

CardHistory HistoryOf(const Ids& ids) {
    kiln::qstd::QArray<int64_t> stored;
    for (int64_t id : ids) stored.Add(id);
    CardHistory history;
    history.Assign(stored);
    return history;
}

Ids Range(int64_t from, int64_t to, int64_t step) {
    Ids ids;
    for (int64_t id = from; step > 0 ? id <= to : id >= to; id += step) ids.push_back(id);
    return ids;
}

TEST(CardHistoryTest, ShowingCardsPutsEachAtTheFrontKeepingFifteen) {
    const struct {
        const char* name;
        Ids shown;
        Ids expected;
    } cases[] = {
        {"most recent first", {1, 2, 3}, {3, 2, 1}},
        {"the same card again stands twice", {5, 7, 5}, {5, 7, 5}},
        {"the same card repeatedly", {9, 9, 9}, {9, 9, 9}},
        {"card 0 is no card", {0, 4, 0}, {4}},
        {"64-bit ids", {INT64_MAX, -3, 0x100000000LL}, {0x100000000LL, -3, INT64_MAX}},
        {"the sixteenth card pushes the oldest out", Range(1, 16, 1), Range(16, 2, -1)},
        {"never more than fifteen", Range(1, 40, 1), Range(40, 26, -1)},
    };
    for (const auto& c : cases) {
        CardHistory history;
        for (int64_t id : c.shown) history.Add(id);
        EXPECT_EQ(IdsOf(history), c.expected) << c.name;
    }
}

TEST(CardHistoryTest, PrevAndNextTakeTheCardToShowOutOfTheList) {
    enum Step { Prev, Next };
    const struct {
        const char* name;
        Ids before;
        Step step;
        int64_t shown;
        Ids after;
    } cases[] = {
        {"prev with no history", {}, Prev, 0, {}},
        {"prev with one entry does nothing", {7}, Prev, 0, {7}},
        {"next with one entry does nothing", {7}, Next, 0, {7}},
        {"prev with two entries", {1, 2}, Prev, 2, {1}},
        {"prev moves the card shown now to the end", {1, 2, 3, 4}, Prev, 2, {3, 4, 1}},
        {"next takes the last card", {1, 2, 3, 4}, Next, 4, {1, 2, 3}},
        {"prev over a repeated card", {5, 5, 3}, Prev, 5, {3, 5}},
    };
    for (const auto& c : cases) {
        CardHistory history = HistoryOf(c.before);
        EXPECT_EQ(history.CanStep(), c.before.size() >= 2) << c.name;
        EXPECT_EQ(c.step == Prev ? history.Prev() : history.Next(), c.shown) << c.name;
        EXPECT_EQ(IdsOf(history), c.after) << c.name;
    }
}

// The main window shows the card that a step returns, and showing it puts
// it back at the front: stepping back and forth walks through the cards and
// rotates the list without losing any.
TEST(CardHistoryTest, StepsFollowedByShowingRotateTheList) {
    CardHistory history = HistoryOf({1, 2, 3, 4});
    const auto step = [&history](bool back) {
        const int64_t id = back ? history.Prev() : history.Next();
        history.Add(id);
        return id;
    };
    EXPECT_EQ(step(true), 2);
    EXPECT_EQ(IdsOf(history), (Ids{2, 3, 4, 1}));
    EXPECT_EQ(step(true), 3);
    EXPECT_EQ(IdsOf(history), (Ids{3, 4, 1, 2}));
    EXPECT_EQ(step(false), 2);
    EXPECT_EQ(IdsOf(history), (Ids{2, 3, 4, 1}));
    EXPECT_EQ(step(false), 1);
    EXPECT_EQ(IdsOf(history), (Ids{1, 2, 3, 4}));
}

TEST(CardHistoryTest, AStoredListLongerThanFifteenKeepsTheMostRecent) {
    EXPECT_EQ(IdsOf(HistoryOf(Range(1, 20, 1))), Range(1, 15, 1));
    EXPECT_EQ(IdsOf(HistoryOf({8, 8, 2})), (Ids{8, 8, 2}));
}

}  // namespace
