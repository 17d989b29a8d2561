#include "crashes/TQTMCrashesLogBuffer.h"

#include "platform/system/AtomicFile.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

class TQTMCrashesLogBufferTest : public ::testing::Test {
protected:
    TQTMCrashesLogBufferTest()
    {
        for (size_t n = 0; n < TQTMCrashesLogBuffer::kSlotCount; ++n)
            TQTMCrashesLogBuffer::setSlotPaths(n, logPath(n), tokenPath(n));
    }
    fs::path logPath(size_t n) const
    {
        return folder.path() / (std::to_string(n) + ".tmcrasheslogbuffer");
    }
    fs::path tokenPath(size_t n) const
    {
        return folder.path() / (std::to_string(n) + ".targettoken");
    }

    sonvale::test::TempDir folder;
};

} // namespace

TEST_F(TQTMCrashesLogBufferTest, AFullRingReplacesItsOldestSlotTheLowestFirst)
{
    for (size_t n = 0; n < TQTMCrashesLogBuffer::kSlotCount; ++n) {
        // Slots 10 and 20 share the oldest time.
        const double time = n == 10 || n == 20 ? 5 : 100 + static_cast<double>(n);
        EXPECT_EQ(TQTMCrashesLogBuffer::fill({1}, "", "id" + std::to_string(n), time), n);
    }
    EXPECT_EQ(TQTMCrashesLogBuffer::fill({2}, "", "late", 500), 10u);
    EXPECT_EQ(TQTMCrashesLogBuffer::fill({3}, "", "later", 501), 20u);
    EXPECT_EQ(TQTMCrashesLogBuffer::fill({4}, "", "latest", 502), 0u);

    // Freeing opens the slot for the next log.
    EXPECT_EQ(TQTMCrashesLogBuffer::freeSlotsWithInternalId("id33"), std::vector<size_t>{33});
    EXPECT_EQ(TQTMCrashesLogBuffer::fill({5}, "", "new", 503), 33u);
    EXPECT_TRUE(TQTMCrashesLogBuffer::freeSlotsWithInternalId("unknown").empty());
}

TEST_F(TQTMCrashesLogBufferTest, ACrashWritesEverySlotAndTheTokensThereAre)
{
    TQTMCrashesLogBuffer::fill({'a', 'b', 'c'}, "sealed-token", "one", 1);
    TQTMCrashesLogBuffer::fill({'d'}, "", "two", 2);
    TQTMCrashesLogBuffer::fill({'e'}, "", "three", 3);
    TQTMCrashesLogBuffer::freeSlotsWithInternalId("three");
    // A file from an earlier crash is cut to what the slot holds now.
    ASSERT_TRUE(sonvale::writeFileAtomically(logPath(2), "stale").isOk());

    ASSERT_FALSE(TQTMCrashesLogBuffer::crashed());
    crashes_log_buffer_save();
    EXPECT_TRUE(TQTMCrashesLogBuffer::crashed());

    EXPECT_EQ(sonvale::readWholeFile(logPath(0)), "abc");
    EXPECT_EQ(sonvale::readWholeFile(tokenPath(0)), "sealed-token");
    EXPECT_EQ(sonvale::readWholeFile(logPath(1)), "d");
    EXPECT_FALSE(fs::exists(tokenPath(1)));
    for (size_t n = 2; n < TQTMCrashesLogBuffer::kSlotCount; ++n) {
        ASSERT_TRUE(fs::exists(logPath(n)));
        EXPECT_EQ(fs::file_size(logPath(n)), 0u);
    }
}
