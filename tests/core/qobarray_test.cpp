#include "core/qobarray.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using kiln::qstd::QObArray;

namespace {

// Records which probes were destroyed, in order.
class QObArrayTest : public ::testing::Test {
protected:
    class Probe {
    public:
        Probe(int id, std::vector<int>& graveyard) : id(id), graveyard(graveyard) {}
        ~Probe() { graveyard.push_back(id); }
        int id;

    private:
        std::vector<int>& graveyard;
    };

    void Fill(QObArray<Probe>& array, int count) {
        for (int i = 0; i < count; ++i) array.Add(new Probe(i, destroyed));
    }

    static std::vector<int> Ids(const QObArray<Probe>& array) {
        std::vector<int> ids;
        for (unsigned i = 0; i < array.GetCount(); ++i) ids.push_back(array[i] ? array[i]->id : -1);
        return ids;
    }

    std::vector<int> destroyed;
};

TEST_F(QObArrayTest, RemoveAtDeletesExactlyTheRemovedElements) {
    QObArray<Probe> array;
    Fill(array, 5);
    array.RemoveAt(1, 2);
    EXPECT_EQ((std::vector<int>{1, 2}), destroyed);
    EXPECT_EQ((std::vector<int>{0, 3, 4}), Ids(array));
}

TEST_F(QObArrayTest, RemoveAtClampsTheRunBeforeDeleting) {
    QObArray<Probe> array;
    Fill(array, 5);
    array.RemoveAt(3, 100);
    array.RemoveAt(7, 1);
    EXPECT_EQ((std::vector<int>{3, 4}), destroyed);
    EXPECT_EQ((std::vector<int>{0, 1, 2}), Ids(array));
}

TEST_F(QObArrayTest, DestructionDeletesEveryOwnedElement) {
    {
        QObArray<Probe> array;
        Fill(array, 3);
        array.InsertAt(0, new Probe(10, destroyed));
        EXPECT_EQ((std::vector<int>{10, 0, 1, 2}), Ids(array));
    }
    EXPECT_EQ((std::vector<int>{10, 0, 1, 2}), destroyed);
}

TEST_F(QObArrayTest, NullEntriesAreSkipped) {
    {
        QObArray<Probe> array;
        array.Add(nullptr);
        Fill(array, 1);
        array.Add(nullptr);
        array.RemoveAt(0, 1);
        EXPECT_EQ((std::vector<int>{0, -1}), Ids(array));
    }
    EXPECT_EQ((std::vector<int>{0}), destroyed);
}

TEST_F(QObArrayTest, RemoveAllDeletesAndEmpties) {
    QObArray<Probe> array;
    Fill(array, 4);
    array.RemoveAll();
    EXPECT_EQ(0u, array.GetCount());
    EXPECT_EQ(4u, destroyed.size());
}

TEST_F(QObArrayTest, MoveAssignmentDeletesTheTargetsOldElementsOnly) {
    QObArray<Probe> source;
    source.Add(new Probe(1, destroyed));
    QObArray<Probe> target;
    target.Add(new Probe(2, destroyed));

    target = std::move(source);
    EXPECT_EQ((std::vector<int>{2}), destroyed);
    EXPECT_EQ((std::vector<int>{1}), Ids(target));
    EXPECT_EQ(0u, source.GetCount());
}

}  // namespace
