#include "crashcapture/TQCrashAsyncList.h"

#include <gtest/gtest.h>

#include <vector>

namespace tqcrash::async {
namespace {

std::vector<int> walk(const async_list<int>& list) {
    std::vector<int> values;
    list.set_reading(true);
    for (auto* node = list.next(nullptr); node != nullptr; node = list.next(node)) {
        values.push_back(node->value);
    }
    list.set_reading(false);
    return values;
}

TEST(TQCrashAsyncListTest, AppendsAndPrependsInOrder) {
    async_list<int> list;
    list.append(2);
    list.append(3);
    list.prepend(1);
    list.append(4);
    EXPECT_EQ(walk(list), (std::vector<int>{1, 2, 3, 4}));

    EXPECT_TRUE(list.remove_first([](int v) { return v == 4; }));
    list.append(5);
    EXPECT_TRUE(list.remove_first([](int v) { return v == 1; }));
    list.prepend(0);
    EXPECT_FALSE(list.remove_first([](int v) { return v == 9; }));
    EXPECT_EQ(walk(list), (std::vector<int>{0, 2, 3, 5}));

    list.remove_all();
    EXPECT_TRUE(walk(list).empty());
}

// A reader that stands on a node while a writer removes it can still step past it; the node is
// recycled by a later insert instead of freed under the reader.
TEST(TQCrashAsyncListTest, ReaderStepsPastANodeRemovedUnderIt) {
    async_list<int> list;
    for (int v : {1, 2, 3}) {
        list.append(v);
    }
    list.set_reading(true);
    const auto* first = list.next(nullptr);
    const auto* standing = list.next(first);
    ASSERT_EQ(standing->value, 2);
    ASSERT_TRUE(list.remove_first([](int v) { return v == 2; }));
    const auto* after = list.next(standing);
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(after->value, 3);
    EXPECT_EQ(list.next(first), after) << "new walks no longer see the removed node";
    list.set_reading(false);

    list.append(4);
    EXPECT_EQ(list.next(after), standing) << "the parked node is reused";
    EXPECT_EQ(walk(list), (std::vector<int>{1, 3, 4}));
}

} // namespace
} // namespace tqcrash::async
