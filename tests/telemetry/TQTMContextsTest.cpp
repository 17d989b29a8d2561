#include "telemetry/TQTMSessionContext.h"
#include "telemetry/TQTMUserIdContext.h"
#include "telemetry/TQTMUserIdContextDelegate.h"

#include "platform/system/FakeClock.h"
#include "platform/system/UserDefaults.h"
#include "telemetry/TQTMTelemetryUserDefaults.h"

#include "tests/telemetry/TelemetryTestSupport.h"

using namespace sonvale;
using namespace std::chrono;

namespace {

class TQTMContextsTest : public test::TelemetryTest {
protected:
    static std::shared_ptr<TQTMTelemetryUserDefaults> freshDefaults()
    {
        return std::make_shared<TQTMTelemetryUserDefaults>(
            std::make_shared<UserDefaults>(UserDefaults::standardPath()));
    }

    // A launch at the given time of the test day: new objects over the same defaults file.
    std::unique_ptr<TQTMSessionContext> sessionLaunchAt(minutes sinceNine)
    {
        clock.setNow(day + hours(9) + sinceNine);
        return std::make_unique<TQTMSessionContext>(freshDefaults(), clock);
    }
    std::unique_ptr<TQTMUserIdContext> userLaunchAt(minutes sinceNine)
    {
        clock.setNow(day + hours(9) + sinceNine);
        return std::make_unique<TQTMUserIdContext>(freshDefaults(), clock);
    }
    TimePoint at(minutes sinceNine) const { return day + hours(9) + sinceNine; }

    const sys_days day = sys_days(year(2021) / 6 / 1);
    FakeClock clock;
};

class RecordingDelegate final : public TQTMUserIdContextDelegate {
public:
    void userIdContextDidUpdateUserId(TQTMUserIdContext&,
                                      const std::optional<std::string>& userId) override
    {
        seen.push_back(userId);
    }
    std::vector<std::optional<std::string>> seen;
};

} // namespace

TEST_F(TQTMContextsTest, ACrashTimeFindsTheSessionOfThePreviousLaunch)
{
    {
        auto launchA = sessionLaunchAt(minutes(-5));
        clock.setNow(at(minutes(60)));
        launchA->setSessionId("S1");
    }
    auto launchB = sessionLaunchAt(minutes(70));
    EXPECT_FALSE(launchB->sessionId()); // the new launch has none yet
    const std::pair<minutes, std::optional<std::string>> cases[] = {
        {minutes(65), "S1"},         // the crash time of launch A
        {minutes(60), std::nullopt}, // equal to the entry's time: not that entry
        {minutes(59), std::nullopt},
        {minutes(71), std::nullopt}, // launch B's own entry, no session yet
    };
    for (const auto& [time, expected] : cases)
        EXPECT_EQ(launchB->sessionIdAt(at(time)), expected) << time.count();

    clock.setNow(at(minutes(80)));
    launchB->setSessionId("S2");
    EXPECT_EQ(launchB->sessionIdAt(at(minutes(90))), "S2");
    EXPECT_EQ(launchB->sessionIdAt(at(minutes(75))),
              "S1"); // B's entry moved to the time it was set
}

TEST_F(TQTMContextsTest, ClearingTheSessionHistoryWithoutTheCurrentOneStoresNothing)
{
    auto context = sessionLaunchAt(minutes(0));
    context->setSessionId("S1");
    context->clearSessionHistoryAndKeepCurrentSession(false);
    EXPECT_EQ(context->sessionId(), "S1");
    EXPECT_EQ(logs.messages().back(), "Cleared old sessions.");

    logs.clear();
    sessionLaunchAt(minutes(10));
    EXPECT_EQ(logs.messages().front(), "0 session(s) in the history.");
}

TEST_F(TQTMContextsTest, HistoriesStayBoundedOverManyLaunches)
{
    for (int i = 0; i < 60; ++i) {
        sessionLaunchAt(minutes(i))->setSessionId("S" + std::to_string(i)); // stored when set
        userLaunchAt(minutes(i));                                           // stored at once
    }
    logs.clear();
    sessionLaunchAt(minutes(100));
    userLaunchAt(minutes(100));
    EXPECT_EQ(logs.messages(), (std::vector<std::string>{"50 session(s) in the history.",
                                                         "50 userId(s) in the history."}));
}

TEST_F(TQTMContextsTest, SharedContextsTellTimeByTheClockTheClientGave)
{
    clock.setNow(at(minutes(0)));
    TQTMSessionContext::setSharedClock(clock);
    TQTMUserIdContext::setSharedClock(clock);
    auto session = TQTMSessionContext::sharedInstance();
    auto user = TQTMUserIdContext::sharedInstance();
    clock.setNow(at(minutes(30)));
    session->setSessionId("S1");
    user->setUserId("U1");
    EXPECT_EQ(session->sessionIdAt(at(minutes(31))), "S1");
    EXPECT_FALSE(session->sessionIdAt(at(minutes(29))));
    EXPECT_EQ(user->userIdAt(at(minutes(31))), "U1");
    EXPECT_FALSE(user->userIdAt(at(minutes(29))));
}

TEST_F(TQTMContextsTest, ADamagedHistoryArchiveCountsAsAnEmptyHistory)
{
    // Nine bytes that declare a map of 2^63 entries, as the defaults file may hold them.
    const std::vector<uint8_t> damaged{0x02, 0xbb, 0xbb, 0xbb, 0xbb, 0xbb, 0xbb, 0xbb, 0xbb};
    UserDefaults file(UserDefaults::standardPath());
    ASSERT_TRUE(file.setObjectForKey(nlohmann::json::binary(damaged), "TMTelemetrySessionIdHistory"));
    ASSERT_TRUE(file.setObjectForKey(nlohmann::json::binary(damaged), "TMTelemetryUserIdHistory"));
    logs.clear();
    sessionLaunchAt(minutes(0));
    userLaunchAt(minutes(0));
    EXPECT_EQ(logs.count("0 session(s) in the history."), 1u);
    EXPECT_EQ(logs.count("0 userId(s) in the history."), 1u);
}

TEST_F(TQTMContextsTest, UserIdChangesAreStoredOncePerLaunchAndTold)
{
    auto delegate = std::make_shared<RecordingDelegate>();
    {
        auto launchA = userLaunchAt(minutes(0));
        launchA->addDelegate(delegate);
        clock.setNow(at(minutes(1)));
        launchA->setUserId("alice");
        clock.setNow(at(minutes(2)));
        launchA->setUserId("alice"); // the same again: nothing stored, nobody told
        clock.setNow(at(minutes(3)));
        launchA->setUserId("bob");
        EXPECT_EQ(launchA->userId(), "bob");
    }
    EXPECT_EQ(delegate->seen, (std::vector<std::optional<std::string>>{"alice", "bob"}));

    auto launchB = userLaunchAt(minutes(10));
    // One entry for launch A, holding its last user, stamped when it was set.
    EXPECT_EQ(launchB->userIdAt(at(minutes(2))), std::nullopt);
    EXPECT_EQ(launchB->userIdAt(at(minutes(5))), "bob");
    EXPECT_FALSE(launchB->userId());

    launchB->clearUserIdHistory();
    EXPECT_EQ(launchB->userIdAt(at(minutes(5))), std::nullopt);
}

TEST_F(TQTMContextsTest, AGoneDelegateIsNotTold)
{
    auto context = userLaunchAt(minutes(0));
    auto kept = std::make_shared<RecordingDelegate>();
    auto removed = std::make_shared<RecordingDelegate>();
    context->addDelegate(kept);
    context->addDelegate(removed);
    context->removeDelegate(removed);
    {
        auto dropped = std::make_shared<RecordingDelegate>();
        context->addDelegate(dropped);
    }
    context->setUserId("alice");
    EXPECT_EQ(kept->seen.size(), 1u);
    EXPECT_TRUE(removed->seen.empty());
}

TEST_F(TQTMContextsTest, UserIdRulesOfBothIngestionPaths)
{
    const std::string smile = "\xf0\x9f\x98\x80"; // two UTF-16 units
    std::string longest;
    for (int i = 0; i < 128; ++i)
        longest += smile;
    EXPECT_TRUE(TQTMUserIdContext::isUserIdValidForTelemetry(longest));
    EXPECT_FALSE(TQTMUserIdContext::isUserIdValidForTelemetry(longest + "x"));
    EXPECT_TRUE(TQTMUserIdContext::isUserIdValidForTelemetry(std::string(256, 'a')));
    EXPECT_FALSE(TQTMUserIdContext::isUserIdValidForTelemetry(std::string(257, 'a')));
    EXPECT_TRUE(TQTMUserIdContext::isUserIdValidForTelemetry(std::nullopt));
    EXPECT_TRUE(TQTMUserIdContext::isUserIdValidForTelemetry(""));
    EXPECT_EQ(logs.count("userId is limited to 256 characters."), 2u);

    logs.clear();
    const std::tuple<std::optional<std::string>, bool, std::optional<std::string>> cases[] = {
        {std::nullopt, true, std::nullopt},
        {"c:alice", true, std::nullopt},
        {"alice", true, std::nullopt},
        {"", false, "userId must not be empty."},
        {"c:", false, "userId must not be empty."},
        {"x:alice", false, "userId prefix must be 'c', 'x' is not supported."},
        {":alice", false, "userId prefix must be 'c', '' is not supported."},
    };
    for (const auto& [userId, valid, message] : cases) {
        logs.clear();
        EXPECT_EQ(TQTMUserIdContext::isUserIdValidForOneCollector(userId), valid)
            << userId.value_or("nil");
        const auto messages = logs.messages();
        EXPECT_EQ(messages.empty() ? std::nullopt : std::optional(messages.back()), message);
    }

    EXPECT_EQ(TQTMUserIdContext::prefixedUserIdFromUserId("alice"), "c:alice");
    EXPECT_EQ(TQTMUserIdContext::prefixedUserIdFromUserId("x:alice"), "x:alice");
    EXPECT_EQ(TQTMUserIdContext::prefixedUserIdFromUserId(std::nullopt), std::nullopt);
}
