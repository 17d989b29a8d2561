#include "telemetry/TQTMLogDBStorage.h"

#include "telemetry/TQTMAbstractLog.h"
#include "telemetry/TQTMCommonSchemaLog.h"
#include "telemetry/TQTMStartServiceLog.h"
#include "telemetry/TQTMUtility.h"

#include "platform/system/AtomicFile.h"
#include "tests/telemetry/ModelFixtures.h"
#include "tests/telemetry/TelemetryTestSupport.h"

#include <sqlite3.h>

using namespace sonvale;

namespace {

class TQTMLogDBStorageTest : public test::TelemetryTest {
protected:
    std::filesystem::path file() const { return TQTMUtility::telemetryDirectoryURL() / "Logs.sqlite"; }

    // A log told apart by its session id.
    static std::shared_ptr<TQTMAbstractLog> logNamed(const std::string& name)
    {
        auto log = test::fixedStartServiceLog();
        log->setSid(name);
        return log;
    }

    struct Batch {
        std::vector<std::string> names;
        std::optional<std::string> batchId;
        bool more = false;
    };
    static Batch load(TQTMLogDBStorage& store, const std::string& group, size_t limit,
                      std::optional<std::vector<std::string>> excluded = std::nullopt)
    {
        Batch batch;
        int calls = 0;
        batch.more = store.loadLogsWithGroupIdLimitExcludedTargetKeysCompletionHandler(
            group, limit, excluded, [&](auto logs, auto batchId) {
                ++calls;
                for (const auto& log : logs)
                    batch.names.push_back(log->sid().value_or("?"));
                batch.batchId = batchId;
            });
        EXPECT_EQ(calls, 1); // before returning, found or not
        return batch;
    }

    // One value read with the sqlite3 library itself, as another program would see the file.
    std::string sqlText(const std::string& query) const
    {
        sqlite3* db = nullptr;
        EXPECT_EQ(sqlite3_open_v2(file().c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
        sqlite3_stmt* statement = nullptr;
        std::string text;
        if (sqlite3_prepare_v2(db, query.c_str(), -1, &statement, nullptr) == SQLITE_OK &&
            sqlite3_step(statement) == SQLITE_ROW)
            if (const unsigned char* value = sqlite3_column_text(statement, 0))
                text = reinterpret_cast<const char*>(value);
        sqlite3_finalize(statement);
        sqlite3_close(db);
        return text;
    }
};

} // namespace

TEST_F(TQTMLogDBStorageTest, AFreshFileHasTheExactSchemaVersionAndFullAutoVacuum)
{
    TQTMLogDBStorage store;
    EXPECT_EQ(sqlText("SELECT sql FROM sqlite_master WHERE name='logs'"),
              "CREATE TABLE \"logs\" (\"id\" INTEGER PRIMARY KEY AUTOINCREMENT, \"groupId\" TEXT "
              "NOT NULL, \"log\" TEXT NOT NULL, \"targetToken\" TEXT, \"targetKey\" TEXT, "
              "\"priority\" INTEGER)");
    EXPECT_EQ(sqlText("SELECT sql FROM sqlite_master WHERE name='ix_logs_priority'"),
              "CREATE INDEX \"ix_logs_priority\" ON \"logs\" (\"priority\")");
    EXPECT_EQ(sqlText("PRAGMA user_version"), "5");
    EXPECT_EQ(sqlText("PRAGMA auto_vacuum"), "1");
    EXPECT_EQ(logs.count("Created \"Logs.sqlite\" database with 5 version."), 1u);
    EXPECT_EQ(store.countLogs(), 0u);
}

TEST_F(TQTMLogDBStorageTest, GarbageInTheFileIsReplacedByAFreshDatabase)
{
    std::filesystem::create_directories(file().parent_path());
    ASSERT_TRUE(writeFileAtomically(file(), std::string(8192, 'x')));
    TQTMLogDBStorage store;
    EXPECT_EQ(logs.count("Failed to initialize database."), 0u);
    EXPECT_EQ(sqlText("PRAGMA user_version"), "5");
    EXPECT_TRUE(store.saveLogWithGroupIdFlags(logNamed("a"), "Telemetry", 1));
    EXPECT_EQ(store.countLogs(), 1u);
}

TEST_F(TQTMLogDBStorageTest, FiftyOneLogsAtLimitFiftyGiveTwoBatchesInPriorityOrder)
{
    TQTMLogDBStorage store;
    for (int i = 0; i < 50; ++i)
        ASSERT_TRUE(store.saveLogWithGroupIdFlags(logNamed("n" + std::to_string(i)), "Telemetry", 1));
    ASSERT_TRUE(store.saveLogWithGroupIdFlags(logNamed("urgent"), "Telemetry", 0x102));
    EXPECT_EQ(sqlText("SELECT priority FROM logs WHERE id=51"), "2");

    const Batch first = load(store, "Telemetry", 50);
    ASSERT_EQ(first.names.size(), 50u);
    EXPECT_EQ(first.names.front(), "urgent"); // higher priority first, then oldest first
    EXPECT_EQ(first.names[1], "n0");
    EXPECT_TRUE(first.more);
    ASSERT_TRUE(first.batchId);

    const Batch second = load(store, "Telemetry", 50);
    EXPECT_EQ(second.names, std::vector<std::string>{"n49"});
    EXPECT_FALSE(second.more);
    ASSERT_TRUE(second.batchId);
    EXPECT_NE(second.batchId, first.batchId);

    const Batch none = load(store, "Telemetry", 50);
    EXPECT_TRUE(none.names.empty());
    EXPECT_FALSE(none.batchId);
    EXPECT_FALSE(none.more);

    store.deleteLogsWithBatchIdGroupId(*first.batchId, "Telemetry");
    EXPECT_EQ(store.countLogs(), 1u);
    store.deleteLogsWithBatchIdGroupId(*first.batchId, "Telemetry"); // twice: nothing more
    EXPECT_EQ(store.countLogs(), 1u);
}

TEST_F(TQTMLogDBStorageTest, PendingBatchesBelongToTheirOwnGroupOnly)
{
    TQTMLogDBStorage store;
    ASSERT_TRUE(store.saveLogWithGroupIdFlags(logNamed("buffered"), "CrashesBuffer", 2));
    ASSERT_TRUE(store.saveLogWithGroupIdFlags(logNamed("crash"), "Crashes", 2));
    const Batch buffered = load(store, "CrashesBuffer", 50);
    ASSERT_TRUE(buffered.batchId);
    // "Crashes" is a prefix of "CrashesBuffer" but another group.
    EXPECT_EQ(load(store, "Crashes", 50).names, std::vector<std::string>{"crash"});

    const auto deleted = store.deleteLogsWithGroupId("Crashes");
    ASSERT_EQ(deleted.size(), 1u);
    EXPECT_EQ(deleted[0]->sid(), "crash");
    store.deleteLogsWithBatchIdGroupId(*buffered.batchId, "CrashesBuffer");
    EXPECT_EQ(store.countLogs(), 0u);
}

TEST_F(TQTMLogDBStorageTest, ABatchIsLoadableAgainAfterARestartUntilDeleted)
{
    {
        TQTMLogDBStorage store;
        ASSERT_TRUE(store.saveLogWithGroupIdFlags(logNamed("a"), "Telemetry", 1));
        ASSERT_TRUE(load(store, "Telemetry", 50).batchId);
    }
    TQTMLogDBStorage restarted;
    const Batch again = load(restarted, "Telemetry", 50);
    EXPECT_EQ(again.names, std::vector<std::string>{"a"});
}

TEST_F(TQTMLogDBStorageTest, HostileGroupIdsAreValuesNotSql)
{
    TQTMLogDBStorage store;
    const std::string hostile = "x'); DROP TABLE \"logs\"; --";
    ASSERT_TRUE(store.saveLogWithGroupIdFlags(logNamed("h"), hostile, 1));
    ASSERT_TRUE(store.saveLogWithGroupIdFlags(logNamed("other"), "Telemetry", 1));
    EXPECT_EQ(load(store, hostile, 10).names, std::vector<std::string>{"h"});
    EXPECT_EQ(store.deleteLogsWithGroupId(hostile).size(), 1u);
    EXPECT_EQ(store.countLogs(), 1u);
}

TEST_F(TQTMLogDBStorageTest, ARowThatNoLongerDecodesIsDeletedWhenRead)
{
    TQTMLogDBStorage store;
    ASSERT_TRUE(store.saveLogWithGroupIdFlags(logNamed("good"), "Telemetry", 1));
    ASSERT_EQ(store.executeNonSelectionQuery(
                  "INSERT INTO logs (groupId, log, priority) VALUES ('Telemetry', 'AruFrk=', 1)"),
              0);
    EXPECT_EQ(load(store, "Telemetry", 10).names, std::vector<std::string>{"good"});
    EXPECT_EQ(logs.count("Deserialization failed for log with Id 2"), 1u);
    EXPECT_EQ(store.countLogs(), 1u);
}

TEST_F(TQTMLogDBStorageTest, EvictionAtTheSizeLimitFollowsPriorities)
{
    TQTMLogDBStorage store;
    bool changed = false;
    store.setMaxStorageSizeCompletionHandler(24 * 1024, [&](bool success) { changed = success; });
    ASSERT_TRUE(changed);

    // Fill the file with priority-2 logs until the first eviction would be needed.
    int stored = 0;
    while (logs.count("Log storage was over capacity, 1 oldest log(s) with equal or lower "
                      "priority deleted.") == 0) {
        ASSERT_TRUE(store.saveLogWithGroupIdFlags(logNamed("p2-" + std::to_string(stored++)),
                                                  "Crashes", 2));
        ASSERT_LT(stored, 1000);
    }
    EXPECT_EQ(logs.count("Deleted a log with id 1 to store a new log."), 1u);
    const uint64_t full = store.countLogs();

    logs.clear();
    EXPECT_FALSE(store.saveLogWithGroupIdFlags(logNamed("p1"), "Telemetry", 1));
    EXPECT_EQ(logs.count("Storage is full and no logs with equal or lower priority exist; "
                         "discarding the log."),
              1u);
    EXPECT_EQ(store.countLogs(), full);

    EXPECT_TRUE(store.saveLogWithGroupIdFlags(logNamed("p2-new"), "Crashes", 2));
    EXPECT_EQ(logs.count("Deleted a log with id 2 to store a new log."), 1u); // the oldest left
    EXPECT_EQ(store.countLogs(), full);
}

TEST_F(TQTMLogDBStorageTest, ALogLargerThanTheWholeFileIsRefused)
{
    TQTMLogDBStorage store;
    store.setMaxStorageSizeCompletionHandler(24 * 1024, nullptr);
    auto big = logNamed(std::string(30 * 1024, 'b'));
    EXPECT_FALSE(store.saveLogWithGroupIdFlags(big, "Telemetry", 1));
    const auto messages = logs.messages();
    EXPECT_TRUE(std::any_of(messages.begin(), messages.end(), [](const std::string& m) {
        return m.rfind("Log is too large (", 0) == 0 &&
               m.find("bytes) to store in database. Current maximum database size is 24576 "
                      "bytes.") != std::string::npos;
    }));
    EXPECT_EQ(store.countLogs(), 0u);
}

TEST_F(TQTMLogDBStorageTest, AnOlderVersionDropsItsLogsAndRecreatesTableAndIndex)
{
    {
        TQTMLogDBStorage store;
        ASSERT_TRUE(store.saveLogWithGroupIdFlags(logNamed("old"), "Telemetry", 1));
        ASSERT_EQ(store.executeNonSelectionQuery("PRAGMA user_version = 4"), 0);
    }
    TQTMLogDBStorage store;
    EXPECT_EQ(logs.count("Migrating \"Logs.sqlite\" database from version 4 to 5."), 1u);
    EXPECT_EQ(store.countLogs(), 0u);
    EXPECT_EQ(sqlText("PRAGMA user_version"), "5");
    EXPECT_FALSE(sqlText("SELECT sql FROM sqlite_master WHERE name='ix_logs_priority'").empty());
}

TEST_F(TQTMLogDBStorageTest, ATargetTokenIsStoredEncryptedBesideItsKeyAndComesBack)
{
    TQTMLogDBStorage store;
    auto schemaLog = test::completeCommonSchemaLog();
    schemaLog->setTransmissionTargetTokens(std::set<std::string>{"key1-secret-token"});
    ASSERT_TRUE(store.saveLogWithGroupIdFlags(schemaLog, "Telemetry/one", 1));
    ASSERT_TRUE(store.saveLogWithGroupIdFlags(logNamed("plain"), "Telemetry/one", 1));

    EXPECT_EQ(sqlText("SELECT targetKey FROM logs WHERE id=1"), "key1");
    const std::string stored = sqlText("SELECT targetToken FROM logs WHERE id=1");
    EXPECT_EQ(stored.find("secret"), std::string::npos);
    EXPECT_FALSE(stored.empty());

    // Excluding a key leaves out the rows without one too (NOT IN never matches NULL).
    EXPECT_TRUE(load(store, "Telemetry/one", 10, std::vector<std::string>{"other"}).names.size() == 1);

    TQTMLogDBStorage restarted;
    std::vector<std::shared_ptr<TQTMAbstractLog>> loaded;
    restarted.loadLogsWithGroupIdLimitExcludedTargetKeysCompletionHandler(
        "Telemetry/one", 10, std::nullopt, [&](auto logs, auto) { loaded = logs; });
    ASSERT_EQ(loaded.size(), 2u);
    EXPECT_EQ(loaded[0]->transmissionTargetTokens(), std::set<std::string>{"key1-secret-token"});
    EXPECT_FALSE(loaded[1]->transmissionTargetTokens());
}

TEST(TQTMLogDBStorageKeyFormatTest, PlaceholderListsHoldOneMarkPerValue)
{
    EXPECT_EQ(TQTMLogDBStorage::buildKeyFormatWithCount(3), "(?,?,?)");
    EXPECT_EQ(TQTMLogDBStorage::buildKeyFormatWithCount(1), "(?)");
}
