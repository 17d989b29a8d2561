#include "telemetry/TQTMTelemetryUserDefaults.h"

#include "platform/system/AtomicFile.h"
#include "platform/system/UserDefaults.h"
#include "tests/telemetry/TelemetryTestSupport.h"

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace sonvale;

namespace {

class TQTMTelemetryUserDefaultsTest : public test::TelemetryTest {
protected:
    std::shared_ptr<UserDefaults> store =
        std::make_shared<UserDefaults>(UserDefaults::standardPath());
    TQTMTelemetryUserDefaults defaults{store};

    // The migration table of the client core.
    const TQTMUserDefaultsMigrationTable coreTable = {
        {"TMTelemetryChannelStartTimer", TQTMUserDefaultsPrefixKey("TMChannelStartTimer")},
        {"TMTelemetryPastDevices", std::string("pastDevicesKey")},
        {"TMTelemetryInstallId", std::string("TMInstallId")},
        {"TMTelemetryTelemetryIsEnabled", std::string("TMTelemetryIsEnabled")},
        {"TMTelemetryEncryptionKeyMetadata", std::string("TMEncryptionKeyMetadata")},
        {"TMTelemetrySessionIdHistory", std::string("SessionIdHistory")},
        {"TMTelemetryUserIdHistory", std::string("UserIdHistory")},
    };
};

} // namespace

TEST_F(TQTMTelemetryUserDefaultsTest, KeysAreStoredUnderThePrefixInTheDefaultsFile)
{
    defaults.setObjectForKey("0F8FAD5B-D9CB-469F-A165-70867728950E", "InstallId");
    EXPECT_EQ(defaults.objectForKey("InstallId"),
              nlohmann::json("0F8FAD5B-D9CB-469F-A165-70867728950E"));
    EXPECT_FALSE(store->objectForKey("InstallId"));
    const auto file = readWholeFile(UserDefaults::standardPath());
    ASSERT_TRUE(file);
    EXPECT_NE(file->find("\"TMTelemetryInstallId\""), std::string::npos);

    defaults.removeObjectForKey("InstallId");
    EXPECT_FALSE(UserDefaults(UserDefaults::standardPath()).objectForKey("TMTelemetryInstallId"));
}

TEST_F(TQTMTelemetryUserDefaultsTest, MigrationMovesEachOldKeyOnceAndASecondRunDoesNothing)
{
    ASSERT_TRUE(store->setObjectForKey("old-install", "TMInstallId"));
    ASSERT_TRUE(store->setObjectForKey(false, "TMTelemetryIsEnabled"));
    ASSERT_TRUE(store->setObjectForKey(nlohmann::json::binary({1, 2}), "pastDevicesKey"));
    ASSERT_TRUE(store->setObjectForKey(11, "TMChannelStartTimer:Telemetry"));
    ASSERT_TRUE(store->setObjectForKey(12, "TMChannelStartTimer:Crashes"));
    ASSERT_TRUE(
        store->setObjectForKey("stale", "TMTelemetryInstallId")); // overwritten by the old value

    defaults.migrateKeysForService(coreTable, "Telemetry");

    const nlohmann::json expected = {
        {"TMTelemetryInstallId", "old-install"},
        {"TMTelemetryTelemetryIsEnabled", false},
        {"TMTelemetryPastDevices", nlohmann::json::binary({1, 2})},
        {"TMTelemetryChannelStartTimer:Telemetry", 11},
        {"TMTelemetryChannelStartTimer:Crashes", 12},
        {"TMTelemetry310TelemetryUserDefaultsMigratedKey", true},
    };
    EXPECT_EQ(UserDefaults(UserDefaults::standardPath()).dictionaryRepresentation(), expected);
    EXPECT_EQ(logs.count("Migrating the old NSDefaults keys to new ones."), 1u);
    EXPECT_EQ(logs.count("Migrating key TMInstallId -> TMTelemetryInstallId"), 1u);
    EXPECT_EQ(
        logs.count(
            "Migrating key TMChannelStartTimer:Crashes -> TMTelemetryChannelStartTimer:Crashes"),
        1u);
    // Old keys without a value write no line.
    EXPECT_EQ(logs.count("Migrating key SessionIdHistory -> TMTelemetrySessionIdHistory"), 0u);
    EXPECT_EQ(logs.entries().size(), 6u);

    ASSERT_TRUE(store->setObjectForKey("newer", "TMInstallId"));
    logs.clear();
    defaults.migrateKeysForService(coreTable, "Telemetry");
    EXPECT_EQ(store->objectForKey("TMInstallId"), nlohmann::json("newer"));
    EXPECT_EQ(store->objectForKey("TMTelemetryInstallId"), nlohmann::json("old-install"));
    EXPECT_TRUE(logs.entries().empty());

    // Another service migrates on its own marker.
    defaults.migrateKeysForService({}, "Crashes");
    EXPECT_EQ(defaults.objectForKey("310CrashesUserDefaultsMigratedKey"), nlohmann::json(true));
}

TEST_F(TQTMTelemetryUserDefaultsTest, AValueWrittenRightBeforeSigkillIsThereAfterwards)
{
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(ready[0]);
        TQTMTelemetryUserDefaults own(std::make_shared<UserDefaults>(UserDefaults::standardPath()));
        own.setObjectForKey("written by the child", "InstallId");
        const char done = 1;
        (void)!::write(ready[1], &done, 1);
        for (;;)
            ::pause(); // killed here, with no chance to flush anything
    }
    ::close(ready[1]);
    char done = 0;
    ASSERT_EQ(::read(ready[0], &done, 1), 1);
    ::close(ready[0]);
    ASSERT_EQ(::kill(child, SIGKILL), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGKILL);

    TQTMTelemetryUserDefaults afterwards(
        std::make_shared<UserDefaults>(UserDefaults::standardPath()));
    EXPECT_EQ(afterwards.objectForKey("InstallId"), nlohmann::json("written by the child"));
}
