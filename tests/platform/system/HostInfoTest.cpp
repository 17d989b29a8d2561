#include "platform/system/HostInfo.h"
#include "platform/system/XdgPaths.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

using namespace sonvale;

namespace {

// Sets an environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            old_ = old;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv()
    {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

} // namespace

TEST(HostInfoTest, UtcOffsetFollowsTheTimeZone)
{
    const TimePoint winter = std::chrono::sys_days(std::chrono::year(2021) / 1 / 15);
    const std::pair<const char*, int> cases[] = {
        {"UTC", 0},
        {"Asia/Kolkata", 330},
        {"America/St_Johns", -210},
        {"Europe/Berlin", 60},
    };
    for (const auto& [zone, minutes] : cases) {
        ScopedEnv tz("TZ", zone);
        EXPECT_EQ(hostinfo::utcOffsetMinutes(winter), minutes) << zone;
    }
}

TEST(HostInfoTest, PreferredLanguagesComeFromTheLocaleVariables)
{
    ScopedEnv language("LANGUAGE", "sr_RS@latin:de");
    ScopedEnv all("LC_ALL", nullptr);
    ScopedEnv messages("LC_MESSAGES", nullptr);
    ScopedEnv lang("LANG", "en_GB.UTF-8");
    EXPECT_EQ(hostinfo::preferredLanguages(),
              (std::vector<std::string>{"sr_RS@latin", "de", "en_GB.UTF-8"}));
    ScopedEnv cLocale("LC_ALL", "C");
    EXPECT_EQ(hostinfo::currentLocaleName(), "");
}

// The texts are kept as written: a version such as "22.04" must not come back as "22.4".
TEST(HostInfoTest, TheOperatingSystemIsTheDistributionVersionAndTheKernelRelease)
{
    utsname names{};
    ASSERT_EQ(::uname(&names), 0);
    const auto description = hostinfo::operatingSystemDescription();
    EXPECT_EQ(description.name, "Linux");
    EXPECT_EQ(description.build, names.release);
    EXPECT_EQ(description.version, hostinfo::osReleaseValue("VERSION_ID").value_or(names.release));
    std::ifstream osRelease("/etc/os-release");
    for (std::string line; std::getline(osRelease, line);) {
        if (line.rfind("VERSION_ID=", 0) == 0) {
            std::string written = line.substr(11);
            written.erase(std::remove(written.begin(), written.end(), '"'), written.end());
            EXPECT_EQ(description.version, written);
        }
    }
}

TEST(XdgPathsTest, TelemetryFolderIsPrivateAndBelowTheDataFolder)
{
    test::TempHome home;
    const auto dir = sonvaleTelemetryDir();
    EXPECT_EQ(dir, home.path() / ".local" / "share" / "Sonvale" / "telemetry");
    struct stat info {};
    ASSERT_EQ(::stat(dir.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST(XdgPathsTest, FoldersAreCreatedPrivateAndOnesOfOtherUsersAreRefused)
{
    test::TempHome home;
    ScopedEnv config("XDG_CONFIG_HOME", (home.path() / "new" / "config").c_str());
    const auto created = sonvaleConfigDir();
    EXPECT_EQ(created, home.path() / "new" / "config" / "Sonvale");
    for (const auto& dir : {home.path() / "new", home.path() / "new" / "config", created}) {
        struct stat info {};
        ASSERT_EQ(::stat(dir.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0700u) << dir;
    }

    // A link in place of the folder, and (where this user may give folders away) another user's.
    std::filesystem::create_directories(home.path() / ".cache");
    std::filesystem::create_directory_symlink(home.path() / "elsewhere", home.path() / ".cache" / "Sonvale");
    std::vector<std::pair<std::filesystem::path, std::function<std::filesystem::path()>>> refusals{
        {home.path() / ".cache" / "Sonvale", sonvaleCacheDir}};
    const auto foreign = home.path() / ".local" / "share" / "Sonvale";
    std::filesystem::create_directories(foreign);
    if (::chown(foreign.c_str(), ::geteuid() + 1, ::getegid()) == 0)
        refusals.emplace_back(foreign, sonvaleDataDir);
    for (const auto& [refused, folderOf] : refusals) {
        const auto standIn = folderOf();
        EXPECT_NE(standIn, refused);
        struct stat info {};
        ASSERT_EQ(::lstat(standIn.c_str(), &info), 0) << standIn;
        EXPECT_TRUE(S_ISDIR(info.st_mode));
        EXPECT_EQ(info.st_uid, ::geteuid());
        EXPECT_EQ(info.st_mode & 0777, 0700u);
        std::filesystem::remove_all(standIn);
    }
    EXPECT_FALSE(std::filesystem::exists(home.path() / "elsewhere"));
}
