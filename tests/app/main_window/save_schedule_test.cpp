// When the edits are due to be written: after a pause in typing, within a
// longest wait while typing goes on, and again a while after a failure.

#include <gtest/gtest.h>

#include "app/main_window/save_schedule.h"

namespace {

TEST(SaveSchedule, APauseOrTheLongestWaitMakesTheSaveDue) {
    const DWORD start = 0xFFFFF000;  // the tick count wraps during the table
    const struct {
        const char* what;
        DWORD edits[8];
        unsigned editCount;
        DWORD now;
        DWORD dueIn;
    } cases[] = {
        {"nothing typed", {}, 0, 500, SaveSchedule::kNothingDue},
        {"just typed", {0}, 1, 0, SaveSchedule::kPauseMs},
        {"typing paused", {0}, 1, 1000, 0},
        {"still within the pause", {0, 600}, 2, 900, 700},
        {"continuous typing reaches the longest wait", {0, 500, 1000, 1500, 1900}, 5, 2000, 0},
        {"the longest wait counts from the first unsaved edit", {0, 500, 1000}, 3, 1200, 800},
    };
    for (const auto& c : cases) {
        SaveSchedule schedule;
        for (unsigned i = 0; i < c.editCount; ++i) schedule.Edited(start + c.edits[i]);
        EXPECT_EQ(schedule.DueIn(start + c.now), c.dueIn) << c.what;
    }
}

TEST(SaveSchedule, AFailedSaveWaitsThenTriesAgainAndTypingCountsAsANewChance) {
    SaveSchedule schedule;
    schedule.Edited(100);
    schedule.Failed(1100);
    EXPECT_TRUE(schedule.IsPending());
    EXPECT_EQ(schedule.DueIn(1100), SaveSchedule::kRetryMs);
    EXPECT_EQ(schedule.DueIn(1100 + SaveSchedule::kRetryMs), 0u);
    // Typing again: the pause after it is the next try.
    schedule.Edited(1500);
    EXPECT_EQ(schedule.DueIn(1500), 600u);  // the longest wait from the first edit (100) comes first
    schedule.Saved();
    EXPECT_FALSE(schedule.IsPending());
    EXPECT_EQ(schedule.DueIn(5000), SaveSchedule::kNothingDue);
}

TEST(SaveSchedule, ACostlySaveWaitsLongerWhileTypingGoesOnButNotAfterAPause) {
    SaveSchedule schedule;
    schedule.SaveTook(1000);  // a card of megabytes
    schedule.Edited(0);
    for (DWORD t = 300; t <= 4800; t += 300) schedule.Edited(t);
    // Five times the cost from the first edit, not the usual two seconds.
    EXPECT_EQ(schedule.DueIn(4800), 200u);
    // The pause after typing still saves after a second.
    SaveSchedule paused;
    paused.SaveTook(1000);
    paused.Edited(0);
    EXPECT_EQ(paused.DueIn(1000), 0u);
}

}  // namespace
