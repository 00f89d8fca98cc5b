#include "core/qbuffer.h"

#include <gtest/gtest.h>

#include <vector>

using kiln::qstd::QBuffer;

namespace {

std::vector<unsigned char> Pattern(unsigned length, unsigned char seed) {
    std::vector<unsigned char> bytes(length);
    for (unsigned i = 0; i < length; ++i) bytes[i] = static_cast<unsigned char>(seed + i * 7);
    return bytes;
}

std::vector<unsigned char> Contents(const QBuffer& buffer) {
    return std::vector<unsigned char>(buffer.GetData(), buffer.GetData() + buffer.GetCount());
}

struct GrowthCase {
    unsigned presetCapacity;
    unsigned filled;
    unsigned appended;
    unsigned capacityAfter;
};

class QBufferGrowthTest : public ::testing::TestWithParam<GrowthCase> {};

TEST_P(QBufferGrowthTest, ReservesSlackBeyondWhatIsNeeded) {
    const GrowthCase& c = GetParam();
    QBuffer buffer;
    buffer.SetCapacity(c.presetCapacity);
    const std::vector<unsigned char> first = Pattern(c.filled, 1);
    const std::vector<unsigned char> second = Pattern(c.appended, 100);
    buffer.Append(first.data(), c.filled);
    ASSERT_EQ(c.presetCapacity, buffer.GetCapacity());

    buffer.Append(second.data(), c.appended);

    EXPECT_EQ(c.capacityAfter, buffer.GetCapacity());
    std::vector<unsigned char> expected = first;
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_EQ(expected, Contents(buffer));
}

INSTANTIATE_TEST_SUITE_P(Steps, QBufferGrowthTest,
                         ::testing::Values(GrowthCase{0, 0, 10, 1034}, GrowthCase{1034, 10, 1024, 1034},
                                           GrowthCase{1034, 10, 1025, 2059}, GrowthCase{4096, 4096, 1, 5121},
                                           GrowthCase{4097, 4097, 1, 6146}, GrowthCase{8000, 100, 7900, 8000},
                                           GrowthCase{8000, 100, 7901, 12001}));

TEST(QBufferTest, AppendOfItsOwnBytesSurvivesGrowth) {
    QBuffer buffer;
    const std::vector<unsigned char> bytes = Pattern(1034, 3);
    buffer.Append(bytes.data(), 10);
    buffer.Append(bytes.data() + 10, 1024);
    ASSERT_EQ(buffer.GetCount(), buffer.GetCapacity());

    buffer.Append(buffer.GetData(), buffer.GetCount());

    std::vector<unsigned char> expected = bytes;
    expected.insert(expected.end(), bytes.begin(), bytes.end());
    EXPECT_EQ(expected, Contents(buffer));
}

TEST(QBufferTest, AppendOfNothingChangesNothing) {
    QBuffer buffer;
    buffer.Append("abc", 0);
    buffer.Append(nullptr, 5);
    EXPECT_EQ(0u, buffer.GetCount());
    EXPECT_EQ(0u, buffer.GetCapacity());
}

TEST(QBufferTest, RemoveAllEmptiesButKeepsTheBlock) {
    QBuffer buffer;
    buffer.Append("{\\rtf1", 6);
    buffer.RemoveAll();
    EXPECT_EQ(0u, buffer.GetCount());
    EXPECT_EQ(1030u, buffer.GetCapacity());
    buffer.Append("x", 1);
    EXPECT_EQ('x', buffer[0]);
}

}  // namespace
