#include "lifecycle/TQTelemetryStart.h"

#include "telemetry/TQTMChannelGroupDefault.h"
#include "telemetry/TQTMLogsDispatchQueue.h"
#include "telemetry/TQTMTelemetry.h"
#include "telemetry/TQTMTelemetryEndpoint.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// The launch starts the client once, at the collector and with the secret the environment names.
TEST(TQTelemetryStartTest, StartsTheClientOnceAtTheEnvironmentsCollector)
{
    sonvale::test::TempHome home;
    ::setenv(TQTMTelemetryEndpoint::kBaseUrlVariable, "http://127.0.0.1:9/collector", 1);
    ::setenv(TQTMTelemetryEndpoint::kAppSecretVariable, "0a1b2c3d-4e5f-6a7b-8c9d-0e1f2a3b4c5d", 1);
    TQTelemetryStart();
    EXPECT_TRUE(TQTMTelemetry::isConfigured());
    EXPECT_EQ(TQTMTelemetry::logUrl(), "http://127.0.0.1:9/collector");
    EXPECT_EQ(TQTMTelemetry::sharedInstance().appSecret(), "0a1b2c3d-4e5f-6a7b-8c9d-0e1f2a3b4c5d");
    EXPECT_EQ(TQTMTelemetry::sharedInstance().channelGroup()->logUrl(),
              "http://127.0.0.1:9/collector");

    ::setenv(TQTMTelemetryEndpoint::kAppSecretVariable, "ffffffff-ffff-ffff-ffff-ffffffffffff", 1);
    TQTelemetryStart(); // a second call does nothing
    EXPECT_EQ(TQTMTelemetry::sharedInstance().appSecret(), "0a1b2c3d-4e5f-6a7b-8c9d-0e1f2a3b4c5d");

    TQTMTelemetry::resetSharedInstance();
    ::unsetenv(TQTMTelemetryEndpoint::kBaseUrlVariable);
    ::unsetenv(TQTMTelemetryEndpoint::kAppSecretVariable);
}

} // namespace
