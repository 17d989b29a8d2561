#include "telemetry/TQTMDBStorage.h"

#include "telemetry/TQTMUtility.h"

#include "tests/telemetry/TelemetryTestSupport.h"

using namespace sonvale;

namespace {

const TQTMStorageSchema kSchema = {
    {"things", {{"id", {"INTEGER", "PRIMARY KEY"}}, {"name", {"TEXT"}}, {"amount", {"REAL"}}}}};

class TQTMDBStorageTest : public test::TelemetryTest {};

} // namespace

TEST_F(TQTMDBStorageTest, ValuesAreBoundAndReadBackByType)
{
    TQTMDBStorage store(kSchema, 1, "Things.sqlite");
    TQTMStorageBindableArray values;
    values.addNumber(int64_t{1} << 40); // row ids are 64-bit
    values.addString(std::nullopt);
    ASSERT_EQ(store.executeNonSelectionQuery("INSERT INTO things (id, name, amount) VALUES (?, ?, 2.5)",
                                             &values),
              0);
    const auto rows = store.executeSelectionQuery("SELECT * FROM things", nullptr);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], TQTMStorageValue(int64_t{1} << 40));
    EXPECT_EQ(rows[0][1], TQTMStorageValue(std::monostate{})); // absent text binds NULL
    EXPECT_EQ(rows[0][2], TQTMStorageValue(std::monostate{})); // a real number is not read
    EXPECT_EQ(logs.count("Could not retrieve column value at index 2 from statement: unknown type 2."),
              1u);
    EXPECT_EQ(store.countEntriesForTableConditionWithValues("things", "", nullptr), 1u);
}

TEST_F(TQTMDBStorageTest, TheMaximumSizeIsKeptInWholePagesAndNeverBelowTheFile)
{
    TQTMDBStorage store(kSchema, 1, "Things.sqlite");
    ASSERT_EQ(store.pageSize(), 4096);
    EXPECT_EQ(store.maxSizeInBytes(), 10 * 1024 * 1024);

    std::optional<bool> result;
    store.setMaxStorageSizeCompletionHandler(50000, [&](bool ok) { result = ok; });
    EXPECT_EQ(result, true);
    EXPECT_EQ(store.maxSizeInBytes(), 53248);
    EXPECT_EQ(logs.count("Changed maximum database size to 53248 bytes (next multiple of 4KiB)."),
              1u);

    store.setMaxStorageSizeCompletionHandler(4096, [&](bool ok) { result = ok; });
    EXPECT_EQ(result, false);
    EXPECT_EQ(store.maxSizeInBytes(), 53248);
    EXPECT_EQ(logs.count("Cannot change database size to 4096 bytes as it would cause a loss of "
                         "data. Maximum database size will not be changed."),
              1u);
}

TEST_F(TQTMDBStorageTest, AnEqualOrHigherVersionIsOnlyRewritten)
{
    { TQTMDBStorage store(kSchema, 7, "Things.sqlite"); }
    logs.clear();
    TQTMDBStorage lower(kSchema, 3, "Things.sqlite");
    const auto rows = lower.executeSelectionQuery("PRAGMA user_version", nullptr);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], TQTMStorageValue(int64_t{3}));
    for (const std::string& message : logs.messages()) {
        EXPECT_EQ(message.find("Migrating"), std::string::npos) << message;
        EXPECT_EQ(message.find("Vacuuming"), std::string::npos) << message;
    }
}

TEST_F(TQTMDBStorageTest, TablesAreCreatedAndDroppedOnce)
{
    TQTMDBStorage store(std::nullopt, 1, "Plain.sqlite");
    const TQTMStorageColumnsSchema columns = {{"k", {"TEXT", "NOT NULL"}}};
    EXPECT_TRUE(store.createTableColumnsSchema("extra", columns));
    EXPECT_TRUE(store.createTableColumnsSchema("extra", columns));
    EXPECT_EQ(logs.count("Table extra has been created"), 1u);
    EXPECT_TRUE(store.dropTable("extra"));
    EXPECT_TRUE(store.dropTable("extra"));
    EXPECT_EQ(logs.count("Table extra has been deleted"), 1u);
    EXPECT_EQ(TQTMDBStorage::columnsQueryFromColumnsSchema(kSchema[0].second),
              "\"id\" INTEGER PRIMARY KEY, \"name\" TEXT, \"amount\" REAL");
}
