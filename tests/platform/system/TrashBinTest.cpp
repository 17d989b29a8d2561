#include "platform/system/TrashBin.h"

#include "platform/system/AtomicFile.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <fstream>
#include <functional>
#include <regex>
#include <sched.h>
#include <set>
#include <string>
#include <thread>
#include <vector>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

void writeFile(const fs::path& path, const std::string& content)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
}

std::string contentOf(const fs::path& path) { return sonvale::readWholeFile(path).value_or("<missing>"); }

fs::path homeTrash() { return fs::path(std::getenv("XDG_DATA_HOME")) / "Trash"; }

fs::path infoFileOf(const fs::path& trashedPath)
{
    return trashedPath.parent_path().parent_path() / "info" / (trashedPath.filename().string() + ".trashinfo");
}

// The Path line of an info file, or an empty text; the date line must be well formed.
std::string recordedPath(const fs::path& trashedPath)
{
    const std::string info = contentOf(infoFileOf(trashedPath));
    std::smatch match;
    static const std::regex kInfo("\\[Trash Info\\]\nPath=(.*)\nDeletionDate=\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\n");
    return std::regex_match(info, match, kInfo) ? match[1].str() : std::string();
}

mode_t modeOf(const fs::path& path)
{
    struct stat info {};
    ::lstat(path.c_str(), &info);
    return info.st_mode & 07777;
}

} // namespace

TEST(TrashBinTest, MovesFileToHomeTrashWithPercentEncodedOriginalPath)
{
    sonvale::test::TempHome home;
    const fs::path source = home.path() / "Mü sic" / "100% #1.flac";
    writeFile(source, "audio");

    fs::path trashed;
    const sonvale::Status status = sonvale::moveToTrash(source, &trashed);

    ASSERT_TRUE(status.isOk()) << status.message();
    EXPECT_FALSE(fs::exists(source));
    EXPECT_EQ(trashed, homeTrash() / "files" / "100% #1.flac");
    EXPECT_EQ(contentOf(trashed), "audio");
    EXPECT_EQ(recordedPath(trashed), home.path().string() + "/M%C3%BC%20sic/100%25%20%231.flac");
    EXPECT_EQ(modeOf(homeTrash()), 0700u);
}

TEST(TrashBinTest, GivesEachItemItsOwnNameAndKeepsWhatIsAlreadyThere)
{
    sonvale::test::TempHome home;
    writeFile(home.path() / "a" / "Song.flac", "first");
    writeFile(home.path() / "b" / "Song.flac", "second");
    writeFile(homeTrash() / "files" / "Song.2.flac", "left without info");
    writeFile(homeTrash() / "info" / "Song.3.flac.trashinfo", "[Trash Info]\nPath=/elsewhere\n");

    fs::path first, second;
    ASSERT_TRUE(sonvale::moveToTrash(home.path() / "a" / "Song.flac", &first).isOk());
    ASSERT_TRUE(sonvale::moveToTrash(home.path() / "b/Song.flac", &second).isOk());

    EXPECT_EQ(first.filename(), "Song.flac");
    EXPECT_EQ(second.filename(), "Song.4.flac");
    EXPECT_EQ(contentOf(first), "first");
    EXPECT_EQ(contentOf(second), "second");
    EXPECT_EQ(recordedPath(second), home.path().string() + "/b/Song.flac");
    EXPECT_EQ(contentOf(homeTrash() / "files" / "Song.2.flac"), "left without info");
    EXPECT_EQ(contentOf(homeTrash() / "info" / "Song.3.flac.trashinfo"), "[Trash Info]\nPath=/elsewhere\n");
}

TEST(TrashBinTest, ItemsOfTheSameNameTrashedAtOnceNeverShareAName)
{
    sonvale::test::TempHome home;
    constexpr int kItems = 8;
    for (int i = 0; i < kItems; ++i)
        writeFile(home.path() / std::to_string(i) / "Song.flac", std::to_string(i));

    std::vector<fs::path> trashed(kItems);
    std::vector<std::thread> threads;
    for (int i = 0; i < kItems; ++i) {
        threads.emplace_back([&, i] {
            EXPECT_TRUE(sonvale::moveToTrash(home.path() / std::to_string(i) / "Song.flac", &trashed[i]).isOk());
        });
    }
    for (std::thread& thread : threads)
        thread.join();

    std::set<fs::path> names;
    for (int i = 0; i < kItems; ++i) {
        names.insert(trashed[i]);
        EXPECT_EQ(contentOf(trashed[i]), std::to_string(i));
        EXPECT_EQ(recordedPath(trashed[i]), home.path().string() + "/" + std::to_string(i) + "/Song.flac");
    }
    EXPECT_EQ(names.size(), static_cast<size_t>(kItems));
    EXPECT_EQ(std::distance(fs::directory_iterator(homeTrash() / "info"), fs::directory_iterator()), kItems);
}

TEST(TrashBinTest, MovesFoldersWholeAndLinksThemselves)
{
    sonvale::test::TempHome home;
    writeFile(home.path() / "Album" / "01.flac", "one");
    writeFile(home.path() / "target.flac", "target");
    fs::create_symlink(home.path() / "target.flac", home.path() / "link.flac");

    fs::path folder, link;
    ASSERT_TRUE(sonvale::moveToTrash(home.path() / "Album/", &folder).isOk());
    ASSERT_TRUE(sonvale::moveToTrash(home.path() / "link.flac", &link).isOk());

    EXPECT_EQ(contentOf(folder / "01.flac"), "one");
    EXPECT_EQ(recordedPath(folder), home.path().string() + "/Album");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(contentOf(home.path() / "target.flac"), "target");
}

TEST(TrashBinTest, ShortensLongNamesSoTheirInfoFileFits)
{
    sonvale::test::TempHome home;
    std::string name;
    while (name.size() + 2 <= 250)
        name += "é";
    name += ".flac";
    writeFile(home.path() / name, "long");

    fs::path trashed;
    const sonvale::Status status = sonvale::moveToTrash(home.path() / name, &trashed);

    ASSERT_TRUE(status.isOk()) << status.message();
    const std::string trashedName = trashed.filename().string();
    EXPECT_LE(trashedName.size() + std::string(".trashinfo").size(), 255u);
    EXPECT_TRUE(trashedName.ends_with("é.flac")) << trashedName;
    EXPECT_EQ(contentOf(trashed), "long");
    EXPECT_TRUE(recordedPath(trashed).ends_with("%C3%A9.flac"));
}

TEST(TrashBinTest, RefusesWhatIsNoItemAndReportsMissingOnes)
{
    sonvale::test::TempHome home;
    for (const fs::path& path : {fs::path(), fs::path("/"), home.path() / ".", home.path() / "..",
                                 home.path() / "missing.flac"}) {
        const sonvale::Status status = sonvale::moveToTrash(path);
        EXPECT_FALSE(status.isOk()) << path;
        EXPECT_TRUE(status.message().starts_with("Cannot move \"" + path.string() + "\" to the Bin: "))
            << status.message();
    }
    EXPECT_TRUE(fs::exists(home.path()));
    EXPECT_FALSE(fs::exists(homeTrash() / "info"));
}

// Items on another file system. Each case runs in a child process with a private mount
// namespace and a fresh tmpfs, the child's own "USB stick"; the host's mounts are untouched.
class TrashBinOtherFileSystemTest : public testing::Test {
protected:
    // Runs `body` with the tmpfs mounted at `stick()`; false when this system allows no private
    // mount namespace (the test is then skipped).
    bool runOnStick(const std::function<void()>& body)
    {
        const pid_t child = ::fork();
        if (child == 0) {
            if (!enterPrivateMountNamespace() ||
                ::mount("tmpfs", stick().c_str(), "tmpfs", 0, "mode=0755") != 0)
                ::_exit(77);
            body();
            ::_exit(testing::Test::HasFailure() ? 1 : 0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        if (WIFEXITED(status) && WEXITSTATUS(status) == 77)
            return false;
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the child failed";
        return true;
    }

    fs::path stick() const { return home_.path() / "stick"; }
    static std::string uid() { return std::to_string(::getuid()); }

    void SetUp() override { fs::create_directory(stick()); }

private:
    static bool writeText(const char* path, const std::string& text)
    {
        const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
        const bool written = fd >= 0 && ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
        if (fd >= 0)
            ::close(fd);
        return written;
    }

    static bool enterPrivateMountNamespace()
    {
        const uid_t uid = ::getuid();
        const gid_t gid = ::getgid();
        if (uid == 0) {
            if (::unshare(CLONE_NEWNS) != 0)
                return false;
        } else if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0 ||
                   !writeText("/proc/self/setgroups", "deny") ||
                   !writeText("/proc/self/uid_map", std::to_string(uid) + " " + std::to_string(uid) + " 1") ||
                   !writeText("/proc/self/gid_map", std::to_string(gid) + " " + std::to_string(gid) + " 1")) {
            return false;
        }
        // Nothing mounted here may reach the host's namespace.
        return ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    }

    sonvale::test::TempHome home_;
};

TEST_F(TrashBinOtherFileSystemTest, UsesTheUsersOwnTrashAtTheTopOfThatFileSystem)
{
    const bool ran = runOnStick([this] {
        writeFile(stick() / "Album" / "Song.flac", "audio");
        fs::path trashed;
        const sonvale::Status status = sonvale::moveToTrash(stick() / "Album" / "Song.flac", &trashed);
        ASSERT_TRUE(status.isOk()) << status.message();
        EXPECT_EQ(trashed, stick() / (".Trash-" + uid()) / "files" / "Song.flac");
        EXPECT_EQ(contentOf(trashed), "audio");
        EXPECT_EQ(recordedPath(trashed), "Album/Song.flac");
        EXPECT_EQ(modeOf(stick() / (".Trash-" + uid())), 0700u);
        EXPECT_FALSE(fs::exists(homeTrash()));
    });
    if (!ran)
        GTEST_SKIP() << "no private mount namespace here";
}

TEST_F(TrashBinOtherFileSystemTest, UsesTheSharedTrashOnlyWhenItIsARealStickyFolder)
{
    const bool ran = runOnStick([this] {
        struct Case {
            const char* name;
            std::function<void()> prepare;
            fs::path expectedTrash;
        };
        const fs::path shared = stick() / ".Trash";
        const Case cases[] = {
            {"sticky folder", [&] { fs::create_directory(shared); fs::permissions(shared, fs::perms(01777)); },
             shared / uid()},
            {"no sticky bit", [&] { fs::create_directory(shared); fs::permissions(shared, fs::perms(0777)); },
             stick() / (".Trash-" + uid())},
            {"link to a sticky folder",
             [&] {
                 fs::create_directory(stick() / "elsewhere");
                 fs::permissions(stick() / "elsewhere", fs::perms(01777));
                 fs::create_directory_symlink(stick() / "elsewhere", shared);
             },
             stick() / (".Trash-" + uid())},
        };
        for (const Case& c : cases) {
            for (const fs::path& entry : fs::directory_iterator(stick()))
                fs::remove_all(entry);
            c.prepare();
            writeFile(stick() / "Song.flac", "audio");
            fs::path trashed;
            const sonvale::Status status = sonvale::moveToTrash(stick() / "Song.flac", &trashed);
            ASSERT_TRUE(status.isOk()) << c.name << ": " << status.message();
            EXPECT_EQ(trashed, c.expectedTrash / "files" / "Song.flac") << c.name;
            EXPECT_EQ(recordedPath(trashed), "Song.flac") << c.name;
            EXPECT_FALSE(fs::exists(stick() / "elsewhere" / uid())) << c.name;
        }
    });
    if (!ran)
        GTEST_SKIP() << "no private mount namespace here";
}

TEST_F(TrashBinOtherFileSystemTest, FailsAndKeepsTheItemWhenNoTrashThereCanTakeIt)
{
    const bool ran = runOnStick([this] {
        struct Case {
            const char* name;
            std::function<void()> prepare;
        };
        const Case cases[] = {
            {"own trash is a link",
             [&] {
                 fs::create_directory(stick() / "elsewhere");
                 fs::create_directory_symlink(stick() / "elsewhere", stick() / (".Trash-" + uid()));
             }},
            {"read-only file system",
             [&] { ASSERT_EQ(::mount(nullptr, stick().c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0); }},
        };
        for (const Case& c : cases) {
            writeFile(stick() / "Song.flac", "audio");
            c.prepare();
            const sonvale::Status status = sonvale::moveToTrash(stick() / "Song.flac");
            EXPECT_FALSE(status.isOk()) << c.name;
            EXPECT_NE(status.message().find("has no Bin that can take it"), std::string::npos) << status.message();
            EXPECT_EQ(contentOf(stick() / "Song.flac"), "audio") << c.name;
            EXPECT_FALSE(fs::exists(stick() / "elsewhere" / "files")) << c.name;
            EXPECT_FALSE(fs::exists(homeTrash() / "files")) << c.name;
        }
    });
    if (!ran)
        GTEST_SKIP() << "no private mount namespace here";
}
