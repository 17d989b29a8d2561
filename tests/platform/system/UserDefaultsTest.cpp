#include "platform/system/UserDefaults.h"

#include "platform/system/AtomicFile.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace sonvale;

class UserDefaultsTest : public ::testing::Test {
protected:
    test::TempDir dir;
    std::filesystem::path file = dir.path() / "defaults.json";
};

TEST_F(UserDefaultsTest, EveryChangeIsInTheFileAtOnceAndReadsBackInANewStore)
{
    {
        UserDefaults store(file);
        ASSERT_TRUE(store.setObjectForKey("text", "a"));
        ASSERT_TRUE(store.setObjectForKey(42, "b"));
        ASSERT_TRUE(store.setObjectForKey(nlohmann::json::binary({0, 1, 255}), "data"));
        ASSERT_TRUE(store.setObjectForKey({{"nested", nlohmann::json::binary({7})}}, "tree"));
        ASSERT_TRUE(store.setObjectForKey("gone", "c"));
        ASSERT_TRUE(store.removeObjectForKey("c"));
    }
    const auto text = readWholeFile(file);
    ASSERT_TRUE(text);
    EXPECT_NE(text->find("\"a\": \"text\""), std::string::npos);

    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    UserDefaults reopened(file);
    EXPECT_EQ(reopened.objectForKey("a"), nlohmann::json("text"));
    EXPECT_EQ(reopened.objectForKey("b"), nlohmann::json(42));
    EXPECT_EQ(reopened.objectForKey("data"), nlohmann::json::binary({0, 1, 255}));
    EXPECT_EQ(reopened.objectForKey("tree"),
              (nlohmann::json{{"nested", nlohmann::json::binary({7})}}));
    EXPECT_FALSE(reopened.objectForKey("c"));
}

TEST_F(UserDefaultsTest, TwoStoresOnOneFileKeepEachOthersKeys)
{
    UserDefaults first(file);
    UserDefaults second(file);
    ASSERT_TRUE(first.setObjectForKey(1, "first"));
    ASSERT_TRUE(second.setObjectForKey(2, "second"));
    EXPECT_EQ(second.objectForKey("first"), nlohmann::json(1)); // picked up by its own change

    UserDefaults reopened(file);
    EXPECT_EQ(reopened.dictionaryRepresentation(), (nlohmann::json{{"first", 1}, {"second", 2}}));
}

TEST_F(UserDefaultsTest, ADamagedFileIsKeptAsideAndTheStoreStartsEmpty)
{
    ASSERT_TRUE(writeFileAtomically(file, "{ not json"));
    UserDefaults store(file);
    EXPECT_TRUE(store.dictionaryRepresentation().empty());
    EXPECT_EQ(readWholeFile(file.string() + ".damaged"), "{ not json");
    ASSERT_TRUE(store.setObjectForKey(true, "k"));
    EXPECT_EQ(UserDefaults(file).objectForKey("k"), nlohmann::json(true));
}

TEST_F(UserDefaultsTest, AFileNestedBeyondAnyRealValueIsKeptAsideAsDamaged)
{
    const std::string deep = "{\"k\": " + std::string(100000, '[') + std::string(100000, ']') + "}";
    ASSERT_TRUE(writeFileAtomically(file, deep));
    UserDefaults store(file);
    EXPECT_TRUE(store.dictionaryRepresentation().empty());
    EXPECT_EQ(readWholeFile(file.string() + ".damaged"), deep);
}

TEST_F(UserDefaultsTest, TextThatIsNotUtf8IsStoredWithReplacementCharacters)
{
    UserDefaults store(file);
    EXPECT_TRUE(store.setObjectForKey(std::string("bad \xff byte"), "k"));
    EXPECT_EQ(UserDefaults(file).objectForKey("k"), nlohmann::json("bad \xef\xbf\xbd byte"));
}

TEST(UserDefaultsPathTest, StandardFileLivesInTheConfigFolder)
{
    test::TempHome home;
    EXPECT_EQ(UserDefaults::standardPath(), home.path() / ".config" / "Sonvale" / "defaults.json");
}

TEST_F(UserDefaultsTest, WhatCannotBeReadIsNeverOverwritten)
{
    UserDefaults store(file);
    ASSERT_TRUE(store.setObjectForKey("kept", "a"));
    // Something unreadable stands where the file was (reading a folder fails, even for root).
    std::filesystem::remove(file);
    std::filesystem::create_directory(file);
    ASSERT_TRUE(writeFileAtomically(file / "inside", "precious"));

    const Status status = store.setObjectForKey("new", "b");
    EXPECT_FALSE(status);
    EXPECT_NE(status.message().find(file.string()), std::string::npos);
    EXPECT_EQ(readWholeFile(file / "inside"), "precious");
}
