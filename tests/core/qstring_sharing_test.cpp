#include "core/qpathstr.h"
#include "core/qstring.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>
#include <utility>
#include <vector>

#include "test_strings.h"

using kiln::files::QPathStr;
using kiln::qstd::QString;

namespace {

TEST(QStringSharingTest, CopyAndAssignmentShareTheBlock) {
    const QString original(L"shared");
    QString copy(original);
    EXPECT_EQ(original.c_str(), copy.c_str());
    EXPECT_EQ(2, original.GetRefCount());

    QString assigned;
    assigned = original;
    EXPECT_EQ(3, original.GetRefCount());
    {
        const QString temporary(original);
        EXPECT_EQ(4, original.GetRefCount());
    }
    EXPECT_EQ(3, original.GetRefCount());
}

TEST(QStringSharingTest, AssignmentReleasesTheOldBlock) {
    QString target(L"one");
    const QString sharesTarget(target);
    const QString source(L"two");
    target = source;
    EXPECT_EQ(1, sharesTarget.GetRefCount());
    EXPECT_EQ(2, source.GetRefCount());
    EXPECT_STREQ(L"two", target.c_str());
    EXPECT_STREQ(L"one", sharesTarget.c_str());
}

TEST(QStringSharingTest, SelfAssignmentChangesNothing) {
    QString text(L"self");
    const wchar_t* block = text.c_str();
    QString& alias = text;
    text = alias;
    EXPECT_EQ(block, text.c_str());
    EXPECT_EQ(1, text.GetRefCount());
    EXPECT_STREQ(L"self", text.c_str());
}

TEST(QStringSharingTest, MoveHandsTheBlockOverWithoutCounting) {
    QString source(L"moved");
    const wchar_t* block = source.c_str();
    QString target(std::move(source));
    EXPECT_EQ(block, target.c_str());
    EXPECT_EQ(1, target.GetRefCount());
    EXPECT_EQ(0, source.GetCapacity());

    QString other(L"other");
    other = std::move(target);
    EXPECT_EQ(block, other.c_str());
    EXPECT_EQ(1, other.GetRefCount());
}

struct Modification {
    const char* name;
    std::function<void(QPathStr&)> apply;
    const wchar_t* expected;
};

class CopyOnWriteTest : public ::testing::TestWithParam<Modification> {};

// Every modifying operation must leave the other holders of a shared block
// untouched and end up with a block of its own.
TEST_P(CopyOnWriteTest, ModifyingACopyLeavesTheOriginalAlone) {
    const QPathStr original(L" Cards\\Notes ");
    QPathStr copy(original);
    ASSERT_EQ(2, original.GetRefCount());

    GetParam().apply(copy);

    EXPECT_STREQ(L" Cards\\Notes ", original.c_str());
    EXPECT_EQ(1, original.GetRefCount());
    EXPECT_EQ(1, copy.GetRefCount());
    EXPECT_NE(original.c_str(), copy.c_str());
    EXPECT_STREQ(GetParam().expected, copy.c_str());
}

INSTANTIATE_TEST_SUITE_P(
    Operations, CopyOnWriteTest,
    ::testing::Values(Modification{"Append", [](QPathStr& s) { s.Append(L"!"); }, L" Cards\\Notes !"},
                      Modification{"Empty", [](QPathStr& s) { s.Empty(); }, L""},
                      Modification{"Trim", [](QPathStr& s) { s.Trim(); }, L"Cards\\Notes"},
                      Modification{"Format", [](QPathStr& s) { s.Format(L"%d", 7); }, L"7"},
                      Modification{"AssignText", [](QPathStr& s) { s = L"new"; }, L"new"},
                      Modification{"LoadString", [](QPathStr& s) { s.LoadString(IDS_CARD_TITLE); },
                                   L"Card title"},
                      Modification{"GetBuffer", [](QPathStr& s) { s.GetBuffer(0); }, L""},
                      Modification{"ToForwardSlashes", [](QPathStr& s) { s.ToForwardSlashes(); },
                                   L" Cards/Notes "}),
    [](const ::testing::TestParamInfo<Modification>& info) { return std::string(info.param.name); });

TEST(QStringSharingTest, CopyOnWriteKeepsTheCapacity) {
    const QString original(L"abc");
    QString copy(original);
    copy.Append(L"d");
    EXPECT_EQ(original.GetCapacity(), copy.GetCapacity());
}

// Copies made and dropped on several threads at once must leave the count
// exactly where it started; unlocked counting loses updates here.
TEST(QStringSharingTest, ReferenceCountSurvivesConcurrentCopies) {
    const QString shared(L"across threads");
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&shared] {
            for (int i = 0; i < 200000; ++i) {
                QString copy(shared);
                QString another;
                another = copy;
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(1, shared.GetRefCount());
    EXPECT_STREQ(L"across threads", shared.c_str());
}

}  // namespace
