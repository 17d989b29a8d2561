#include "crashes/TQTMApplicationForwarder.h"

#include "platform/system/AppInfo.h"
#include "platform/system/Exception.h"
#include "platform/system/UserDefaults.h"
#include "tests/telemetry/TelemetryTestSupport.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

using namespace sonvale;

namespace {

const std::string kEnabledTrace =
    "Application forwarder for info.plist key 'TelemetryApplicationForwarderEnabled' enabled. It may use swizzling.";
const std::string kDisabledTrace =
    "Application forwarder for info.plist key 'TelemetryApplicationForwarderEnabled' disabled. It won't use swizzling.";
const std::string kSwitchOffNotice =
    "Catching uncaught exceptions thrown on the main thread disabled. Set `NSApplicationCrashOnExceptions` flag "
    "before SDK initialization, to allow crash on uncaught exceptions and the SDK can report them.";
const std::string kReportExceptionTaken = "Selector 'reportException:' of class 'NSApplication' is swizzled.";
const std::string kSendEventTaken = "Selector 'sendEvent:' of class 'NSApplication' is swizzled.";

class TQTMApplicationForwarderTest : public test::TelemetryTest {
protected:
    TQTMApplicationForwarderTest() { TQTMLogger::setCurrentLogLevel(TQTMLogLevelVerbose); }
    ~TQTMApplicationForwarderTest() override { TQTMLogger::setCurrentLogLevel(level_); }

    static AppInfo bundle(nlohmann::json info) { return AppInfo("com.telquor.Sonvale", std::move(info)); }

    UserDefaults defaults{UserDefaults::standardPath()};

private:
    TQTMLogLevel level_ = TQTMLogger::currentLogLevel();
};

} // namespace

TEST_F(TQTMApplicationForwarderTest, WithoutTheCrashOnExceptionsSwitchNothingIsTakenOver)
{
    for (const nlohmann::json& value : {nlohmann::json(nullptr), nlohmann::json(false), nlohmann::json(0)}) {
        ASSERT_TRUE(defaults.setObjectForKey(value, TQTMApplicationForwarder::kCrashOnExceptionsKey));
        logs.clear();
        TQTMApplicationForwarder::registerForwarding(bundle({}), defaults);
        EXPECT_EQ(logs.messages(), (std::vector<std::string>{kEnabledTrace, kSwitchOffNotice})) << value;
    }
}

TEST_F(TQTMApplicationForwarderTest, InformationKeyOffTakesNothingOverWhateverTheSwitchSays)
{
    ASSERT_TRUE(defaults.setObjectForKey(true, TQTMApplicationForwarder::kCrashOnExceptionsKey));
    TQTMApplicationForwarder::registerForwarding(bundle({{TQTMApplicationForwarder::kEnabledKey, false}}), defaults);
    EXPECT_EQ(logs.messages(), std::vector<std::string>{kDisabledTrace});
}

TEST_F(TQTMApplicationForwarderTest, SwitchOnTakesBothMethodsOverOncePerProcess)
{
    ASSERT_TRUE(defaults.setObjectForKey(true, TQTMApplicationForwarder::kCrashOnExceptionsKey));
    TQTMApplicationForwarder::registerForwarding(bundle({{TQTMApplicationForwarder::kEnabledKey, true}}), defaults);
    TQTMApplicationForwarder::registerForwarding(bundle({}), defaults);
    EXPECT_TRUE(TQTMApplicationForwarder::isReportExceptionReplaced());
    EXPECT_TRUE(TQTMApplicationForwarder::isSendEventReplaced());
    EXPECT_EQ(logs.count(kReportExceptionTaken), 1u);
    EXPECT_EQ(logs.count(kSendEventTaken), 1u);
}
