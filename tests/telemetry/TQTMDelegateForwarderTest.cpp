#include "telemetry/TQTMAppDelegateForwarder.h"

#include "telemetry/TQTMTelemetryEndpoint.h"

#include "tests/telemetry/TelemetryTestSupport.h"

using namespace sonvale;

namespace {

class QuitVoter final : public TQTMCustomApplicationDelegate {
public:
    explicit QuitVoter(int add) : add_(add) {}
    void applicationDidFinishLaunching() override { ++launches; }
    int applicationShouldTerminateReturnedValue(int value) override { return value * 10 + add_; }
    int launches = 0;

private:
    int add_;
};

class TQTMDelegateForwarderTest : public test::TelemetryTest {
protected:
    TQTMDelegateForwarderTest()
    {
        TQTMDelegateForwarder::resetTraceBuffer();
        TQTMAppDelegateForwarder::resetSharedInstance();
    }
    ~TQTMDelegateForwarderTest() override
    {
        TQTMDelegateForwarder::flushTraceBuffer();
        TQTMAppDelegateForwarder::resetSharedInstance();
        TQTMLogger::setCurrentLogLevel(level_);
    }

    TQTMLogLevel level_ = TQTMLogger::currentLogLevel();
};

TEST_F(TQTMDelegateForwarderTest, TracesWaitForTheFirstFlushInOrder)
{
    TQTMLogger::setCurrentLogLevel(TQTMLogLevelVerbose);
    auto forwarder = TQTMAppDelegateForwarder::sharedInstance(); // buffers the key's trace
    EXPECT_TRUE(forwarder->isEnabled());                          // the key is absent
    TQTMDelegateForwarder::addTraceBlock([] { TQTMLogDebug(kTQTMCoreLogTag, "second"); });
    EXPECT_EQ(logs.count("second"), 0u);

    TQTMDelegateForwarder::flushTraceBuffer();
    TQTMDelegateForwarder::flushTraceBuffer(); // nothing more
    TQTMDelegateForwarder::addTraceBlock([] { TQTMLogDebug(kTQTMCoreLogTag, "after"); });
    const std::vector<std::string> expected = {
        "Start buffering traces.",
        "Delegate forwarder for info.plist key 'TelemetryAppDelegateForwarderEnabled' enabled. "
        "It may use swizzling.",
        "second",
        "Stop buffering traces, flushed.",
        "after",
    };
    EXPECT_EQ(logs.messages(), expected);
}

TEST_F(TQTMDelegateForwarderTest, ReturnedValuesPassFromDelegateToDelegate)
{
    auto forwarder = TQTMAppDelegateForwarder::sharedInstance();
    EXPECT_EQ(forwarder->applicationShouldTerminateReturnedValue(1), 1); // nobody listens

    auto first = std::make_shared<QuitVoter>(2);
    auto second = std::make_shared<QuitVoter>(3);
    forwarder->addDelegate(first);
    forwarder->addDelegate(second);
    EXPECT_EQ(forwarder->applicationShouldTerminateReturnedValue(1), 123);
    forwarder->applicationDidFinishLaunching();
    EXPECT_EQ(first->launches, 1);

    second.reset(); // held weakly
    EXPECT_EQ(forwarder->applicationShouldTerminateReturnedValue(1), 12);

    forwarder->setEnabled(false);
    forwarder->addDelegate(first);
    EXPECT_EQ(forwarder->applicationShouldTerminateReturnedValue(1), 1);
}

TEST_F(TQTMDelegateForwarderTest, TheEndpointComesFromTheEnvironmentWhenSet)
{
    {
        test::ScopedEnv url(TQTMTelemetryEndpoint::kBaseUrlVariable, nullptr);
        test::ScopedEnv secret(TQTMTelemetryEndpoint::kAppSecretVariable, nullptr);
        EXPECT_EQ(TQTMTelemetryEndpoint::baseUrl(), TQTMTelemetryEndpoint::kDefaultBaseUrl);
        EXPECT_EQ(TQTMTelemetryEndpoint::appSecret(), TQTMTelemetryEndpoint::kDefaultAppSecret);
    }
    const struct {
        const char* value;
        bool accepted;
    } urls[] = {
        {"http://127.0.0.1:8080", true}, {"https://collector.example.org/base", true},
        {"ftp://collector.example.org", false}, {"file:///tmp/x", false}, {"collector", false},
        {"", false},
    };
    for (const auto& c : urls) {
        test::ScopedEnv url(TQTMTelemetryEndpoint::kBaseUrlVariable, c.value);
        EXPECT_EQ(TQTMTelemetryEndpoint::baseUrl().has_value(), c.accepted) << c.value;
    }
    EXPECT_EQ(logs.count("SONVALE_TELEMETRY_URL is set to \"ftp://collector.example.org\", which "
                         "is no http or https URL; telemetry stays off."),
              1u);
    test::ScopedEnv secret(TQTMTelemetryEndpoint::kAppSecretVariable, "");
    EXPECT_EQ(TQTMTelemetryEndpoint::appSecret(), std::nullopt);
}

} // namespace
