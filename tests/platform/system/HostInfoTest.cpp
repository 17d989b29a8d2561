#include "platform/system/HostInfo.h"
#include "platform/system/XdgPaths.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <sys/stat.h>

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

TEST(HostInfoTest, KernelVersionHasThreeNumbers)
{
    EXPECT_TRUE(
        std::regex_match(hostinfo::kernelVersion(), std::regex("[0-9]+\\.[0-9]+\\.[0-9]+")));
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
