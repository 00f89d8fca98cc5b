#include "core/qarray.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using kiln::qstd::QArray;

namespace {

std::vector<int> Contents(const QArray<int>& array) {
    return std::vector<int>(array.GetData(), array.GetData() + array.GetCount());
}

QArray<int> CountingUpTo(int count) {
    QArray<int> array;
    for (int i = 0; i < count; ++i) array.Add(i);
    return array;
}

TEST(QArrayTest, NewArrayHasNoBlock) {
    const QArray<int> array;
    EXPECT_EQ(0u, array.GetCount());
    EXPECT_EQ(0u, array.GetCapacity());
    EXPECT_EQ(nullptr, array.GetData());
    EXPECT_EQ(sizeof(int), array.GetElementSize());
}

TEST(QArrayTest, AddGrowsByTheStepRuleAndKeepsTheElements) {
    const std::vector<unsigned> expected = {4, 8, 12, 20, 28, 36, 44, 52, 60, 68, 102, 153, 229};
    std::vector<unsigned> seen;
    QArray<int> array;
    for (int i = 0; i < 229; ++i) {
        array.Add(i * 3);
        if (seen.empty() || seen.back() != array.GetCapacity()) seen.push_back(array.GetCapacity());
    }
    EXPECT_EQ(expected, seen);
    ASSERT_EQ(229u, array.GetCount());
    for (unsigned i = 0; i < array.GetCount(); ++i) ASSERT_EQ(static_cast<int>(i * 3), array[i]);
}

TEST(QArrayTest, NineElementsLeaveCapacityTwelve) {
    EXPECT_EQ(12u, CountingUpTo(9).GetCapacity());
}

TEST(QArrayTest, AddOfAnElementOfTheSameArraySurvivesGrowth) {
    QArray<int> array = CountingUpTo(4);
    array[0] = 77;
    ASSERT_EQ(array.GetCount(), array.GetCapacity());
    array.Add(array[0]);
    EXPECT_EQ((std::vector<int>{77, 1, 2, 3, 77}), Contents(array));
}

TEST(QArrayTest, InsertAtFrontMovesEveryElementUp) {
    QArray<int> array;
    for (int i = 0; i < 10; ++i) array.InsertAt(0, i);
    EXPECT_EQ((std::vector<int>{9, 8, 7, 6, 5, 4, 3, 2, 1, 0}), Contents(array));
    EXPECT_EQ(12u, array.GetCapacity());
}

TEST(QArrayTest, InsertAtInTheMiddleAndPastTheEnd) {
    QArray<int> array = CountingUpTo(4);
    array.InsertAt(2, 20);
    array.InsertAt(99, 40);
    EXPECT_EQ((std::vector<int>{0, 1, 20, 2, 3, 40}), Contents(array));
}

struct RemoveCase {
    unsigned index;
    unsigned n;
    std::vector<int> remaining;
};

class RemoveAtTest : public ::testing::TestWithParam<RemoveCase> {};

TEST_P(RemoveAtTest, RemovesTheRunAndClosesTheGap) {
    QArray<int> array = CountingUpTo(5);
    const unsigned capacity = array.GetCapacity();
    array.RemoveAt(GetParam().index, GetParam().n);
    EXPECT_EQ(GetParam().remaining, Contents(array));
    EXPECT_EQ(capacity, array.GetCapacity());
}

INSTANTIATE_TEST_SUITE_P(Runs, RemoveAtTest,
                         ::testing::Values(RemoveCase{2, 10, {0, 1}}, RemoveCase{0, 2, {2, 3, 4}},
                                           RemoveCase{4, 1, {0, 1, 2, 3}}, RemoveCase{1, 3, {0, 4}},
                                           RemoveCase{0, 5, {}}, RemoveCase{1, 0, {0, 1, 2, 3, 4}},
                                           RemoveCase{5, 1, {0, 1, 2, 3, 4}},
                                           RemoveCase{0xFFFFFFFFu, 0xFFFFFFFFu, {0, 1, 2, 3, 4}},
                                           RemoveCase{3, 0xFFFFFFFFu, {0, 1, 2}}));

TEST(QArrayTest, RemoveAtOnAnEmptyArrayDoesNothing) {
    QArray<int> array;
    array.RemoveAt(0, 3);
    EXPECT_EQ(0u, array.GetCount());
    EXPECT_EQ(nullptr, array.GetData());
}

TEST(QArrayTest, SetCapacityOnlyGrowsAndKeepsTheElements) {
    QArray<int> array = CountingUpTo(3);
    array.SetCapacity(2);
    EXPECT_EQ(4u, array.GetCapacity());
    array.SetCapacity(100);
    EXPECT_EQ(100u, array.GetCapacity());
    EXPECT_EQ((std::vector<int>{0, 1, 2}), Contents(array));
}

TEST(QArrayTest, CopyIsIndependentOfTheOriginal) {
    const QArray<int> original = CountingUpTo(3);
    QArray<int> copy(original);
    copy[0] = 9;
    copy.Add(3);
    EXPECT_EQ((std::vector<int>{0, 1, 2}), Contents(original));
    EXPECT_EQ((std::vector<int>{9, 1, 2, 3}), Contents(copy));

    copy = original;
    EXPECT_EQ((std::vector<int>{0, 1, 2}), Contents(copy));
}

TEST(QArrayTest, MoveTakesTheBlock) {
    QArray<int> source = CountingUpTo(3);
    const int* block = source.GetData();
    QArray<int> target(std::move(source));
    EXPECT_EQ(block, target.GetData());
    EXPECT_EQ(0u, source.GetCount());
    EXPECT_EQ(nullptr, source.GetData());
}

TEST(QArrayTest, RecordsKeepTheirSize) {
    struct Anchor {
        int control;
        short edges;
        double ratio;
    };
    QArray<Anchor> anchors;
    anchors.Add(Anchor{7, 3, 0.5});
    anchors.InsertAt(0, Anchor{8, 1, 1.5});
    EXPECT_EQ(sizeof(Anchor), anchors.GetElementSize());
    EXPECT_EQ(8, anchors[0].control);
    EXPECT_EQ(7, anchors[1].control);
    EXPECT_EQ(0.5, anchors[1].ratio);
}

}  // namespace
