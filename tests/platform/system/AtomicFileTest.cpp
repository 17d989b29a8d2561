#include "platform/system/AtomicFile.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace sonvale;

TEST(AtomicFileTest, ReplacesContentAndLeavesNoTemporaryFile)
{
    test::TempDir dir;
    const auto file = dir.path() / "values.json";
    ASSERT_TRUE(writeFileAtomically(file, "first"));
    ASSERT_TRUE(writeFileAtomically(file, "second", 0640));

    EXPECT_EQ(readWholeFile(file), "second");
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(AtomicFileTest, ReportsAFolderThatCannotBeWritten)
{
    test::TempDir dir;
    const Status status = writeFileAtomically(dir.path() / "missing" / "file", "x");
    EXPECT_FALSE(status);
    EXPECT_NE(status.message().find("missing"), std::string::npos);
}

TEST(AtomicFileTest, ReadingAMissingFileIsNotAnError)
{
    test::TempDir dir;
    std::string error = "untouched";
    EXPECT_FALSE(readWholeFile(dir.path() / "absent", &error));
    EXPECT_TRUE(error.empty());
}
