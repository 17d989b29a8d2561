#include "platform/system/XdgPaths.h"
#include "platform/tqkit/TQKitSettings.h"
#include "platform/tqkit/TQKitSettingsStore.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

class TQKitSettingsTest : public ::testing::Test {
protected:
    sonvale::test::TempHome home_;
};

TEST_F(TQKitSettingsTest, RoundTripsTextsNumbersAndUnsetValues)
{
    struct Case {
        const char* written;
        const char* defaultText;
        const char* expectedText;
        int expectedNumber;
    };
    const Case cases[] = {
        {"Hello", "d", "Hello", 0},
        {"42", "d", "42", 42},
        {"-7", "d", "-7", -7},
        {"12abc", "d", "12abc", 12},
        {"", "fallback", "fallback", 99},       // empty means unset
        {"Café {{artist}}/x", "", "Café {{artist}}/x", 0},
    };
    for (const Case& c : cases) {
        TQKitSettingWriteText("TQCSetting", "Key", c.written);
        EXPECT_EQ(TQKitSettingReadText("TQCSetting", "Key", c.defaultText), c.expectedText);
        EXPECT_EQ(TQKitSettingReadInt("TQCSetting", "Key", 99), c.expectedNumber) << c.written;
    }
    TQKitSettingWriteInt64("TQCSettingConfirmation", "Stamp", 4'102'444'800LL); // beyond 2^31
    EXPECT_EQ(TQKitSettingReadInt64("TQCSettingConfirmation", "Stamp", 0), 4'102'444'800LL);
    EXPECT_EQ(TQKitSettingReadText("OtherSection", "Key", "none"), "none");
}

TEST_F(TQKitSettingsTest, LongValueReadsWholeOrIsCutSafely)
{
    std::string value;
    while (value.size() < 2000)
        value += "é/"; // two-byte sequences make a cut inside one likely
    TQKitSettingWriteText("TQControlPathPicker", "Folders", value.c_str());

    EXPECT_EQ(TQKitSettingReadText("TQControlPathPicker", "Folders"), value);

    char buffer[264 + 8];
    std::memset(buffer, 'Z', sizeof buffer);
    TQKitSettingReadText("TQControlPathPicker", "Folders", "", buffer, 264);
    const size_t length = std::strlen(buffer);
    EXPECT_LE(length, 263u);
    EXPECT_GE(length, 262u);
    EXPECT_EQ(value.compare(0, length, buffer), 0);
    EXPECT_EQ(buffer[264], 'Z'); // nothing written past the given size
}

TEST_F(TQKitSettingsTest, DataValuesAndRemoval)
{
    const char pattern[] = "{{artist}}\n{{album}}\n";
    TQKitSettingWriteData("TQCSetting", "DestDirFormatList", pattern, sizeof pattern);
    const std::vector<uint8_t> read = TQKitSettingReadData("TQCSetting", "DestDirFormatList");
    ASSERT_EQ(read.size(), sizeof pattern);
    EXPECT_EQ(std::memcmp(read.data(), pattern, sizeof pattern), 0);

    TQKitSettingRemove("TQCSetting", "DestDirFormatList");
    EXPECT_TRUE(TQKitSettingReadData("TQCSetting", "DestDirFormatList").empty());
}

TEST_F(TQKitSettingsTest, ValuesWrittenByAnotherProcessAreRead)
{
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        TQKitSettingWriteInt("TQCSetting", "FromChild", 430);
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(TQKitSettingReadInt("TQCSetting", "FromChild", 0), 430);
}

TEST_F(TQKitSettingsTest, DamagedFileIsSetAsideAndDefaultsAreUsed)
{
    const auto file = sonvale::sonvaleConfigDir() / "settings.json";
    std::ofstream(file) << "{\"text\": {\"TQCSetting\": ";

    testing::internal::CaptureStderr();
    EXPECT_EQ(TQKitSettingReadText("TQCSetting", "Key", "default"), "default");
    const std::string message = testing::internal::GetCapturedStderr();
    EXPECT_NE(message.find("set aside"), std::string::npos) << message;

    TQKitSettingWriteText("TQCSetting", "Key", "fresh");
    EXPECT_EQ(TQKitSettingReadText("TQCSetting", "Key"), "fresh");
    int damagedCopies = 0;
    for (const auto& entry : std::filesystem::directory_iterator(file.parent_path()))
        damagedCopies += entry.path().filename().string().starts_with("settings.json.damaged");
    EXPECT_EQ(damagedCopies, 1);
}

TEST_F(TQKitSettingsTest, ConcurrentWritersLoseNothing)
{
    constexpr int kThreads = 8;
    constexpr int kKeysPerThread = 25;
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t) {
        writers.emplace_back([t] {
            for (int k = 0; k < kKeysPerThread; ++k) {
                const std::string key = "k" + std::to_string(t) + "_" + std::to_string(k);
                TQKitSettingWriteInt("Threads", key.c_str(), t * 1000 + k);
            }
        });
    }
    for (std::thread& writer : writers)
        writer.join();

    // Read back through a new store over the same file, as the next launch would.
    TQKitSettingsStore fromDisk(sonvale::sonvaleConfigDir() / "settings.json");
    for (int t = 0; t < kThreads; ++t) {
        for (int k = 0; k < kKeysPerThread; ++k) {
            const std::string key = "k" + std::to_string(t) + "_" + std::to_string(k);
            EXPECT_EQ(fromDisk.value(TQKitSettingsStore::Kind::Text, "Threads", key),
                      std::to_string(t * 1000 + k));
        }
    }
}

} // namespace
