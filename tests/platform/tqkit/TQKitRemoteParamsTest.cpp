#include "platform/system/XdgPaths.h"
#include "platform/tqkit/TQKitRemoteParams.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

namespace {

class TQKitRemoteParamsTest : public ::testing::Test {
protected:
    void writeParams(const std::string& json)
    {
        std::ofstream(sonvale::sonvaleDataDir() / "params.json") << json;
    }

    sonvale::test::TempHome home_;
};

void countCall(void* context) { ++*static_cast<int*>(context); }

TEST_F(TQKitRemoteParamsTest, DefaultsWhileNothingIsKnown)
{
    TQKitRemoteParams params;
    int calls = 0;
    params.addObserver(countCall, &calls);

    EXPECT_FALSE(params.load()); // no file
    EXPECT_FALSE(params.isLoaded());
    EXPECT_EQ(params.readInt("TQCAppVersion", 0), 0);
    EXPECT_EQ(params.readText("TQAppAppiraterQuestion", "Rate it?"), "Rate it?");
    EXPECT_EQ(calls, 0);
}

TEST_F(TQKitRemoteParamsTest, ValuesFromTheFileAndObserversRunOnce)
{
    writeParams(R"({"TQCAppVersion": 430, "TQAppAppiraterTitleFormat": "Rate %@",
                    "TQAppApiraterDaysToPromptAgain": "12", "Broken": "12x", "Flag": true,
                    "Huge": 1e12, "List": [1, 2]})");
    TQKitRemoteParams params;
    int early = 0;
    params.addObserver(countCall, &early);

    ASSERT_TRUE(params.load());
    ASSERT_TRUE(params.load()); // a second load runs no observer again
    EXPECT_EQ(early, 1);
    int late = 0;
    params.addObserver(countCall, &late); // already loaded: runs at once
    EXPECT_EQ(late, 1);

    struct Case {
        const char* name;
        int expected;
    };
    for (const Case& c : {Case{"TQCAppVersion", 430}, Case{"TQAppApiraterDaysToPromptAgain", 12},
                          Case{"Broken", -1}, Case{"Flag", 1}, Case{"Huge", -1}, Case{"List", -1},
                          Case{"Missing", -1}})
        EXPECT_EQ(params.readInt(c.name, -1), c.expected) << c.name;
    EXPECT_EQ(params.readText("TQAppAppiraterTitleFormat", ""), "Rate %@");
    EXPECT_EQ(params.readText("TQCAppVersion", ""), "430");
    EXPECT_EQ(params.readText("List", "none"), "none");
}

TEST_F(TQKitRemoteParamsTest, DamagedFileKeepsDefaultsWithAMessage)
{
    writeParams("{\"TQCAppVersion\": 43");
    TQKitRemoteParams params;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(params.load());
    const std::string message = testing::internal::GetCapturedStderr();
    EXPECT_NE(message.find("params.json"), std::string::npos) << message;
    EXPECT_EQ(params.readInt("TQCAppVersion", 7), 7);
}

TEST_F(TQKitRemoteParamsTest, ProcessFunctionsUseTheDataFolder)
{
    writeParams(R"({"TQCAppVersion": 430, "TQAppAppiraterURL": "https://example.org/rate/this/app"})");
    EXPECT_FALSE(TQKitRemoteParamsLoaded());
    EXPECT_FALSE(TQKitNewVersionAvailable());
    ASSERT_TRUE(TQKitRemoteParamsLoad());
    EXPECT_TRUE(TQKitRemoteParamsLoaded());
    EXPECT_EQ(TQKitRemoteParamReadInt("TQCAppVersion", 0), 430);

    char buffer[16 + 4];
    std::memset(buffer, 'Z', sizeof buffer);
    EXPECT_EQ(TQKitRemoteParamReadText("TQAppAppiraterURL", buffer, 16, ""), buffer);
    EXPECT_STREQ(buffer, "https://example");
    EXPECT_EQ(buffer[16], 'Z');
    EXPECT_EQ(TQKitRemoteParamReadText("Missing", "fallback"), "fallback");
}

} // namespace
