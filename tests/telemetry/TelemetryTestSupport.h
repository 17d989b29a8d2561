#pragma once

#include "platform/system/FakeClock.h"
#include "telemetry/TQTMLogger.h"
#include "tests/support/TempHome.h"
#include "tests/telemetry/LoopbackServer.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace sonvale::test {

// Collects what the telemetry client logs, for the life of the object.
class LogCapture {
public:
    struct Entry {
        TQTMLogLevel level;
        std::string tag;
        std::string message;
    };

    LogCapture();
    ~LogCapture();

    // Everything logged so far (waits for the logger queue first).
    std::vector<Entry> entries() const;
    std::vector<std::string> messages() const;
    size_t count(const std::string& message) const;
    // Waits until the message has been logged (a generous safety limit, not a timing); false when
    // it never was.
    bool waitFor(const std::string& message) const;
    void clear();

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable added_;
    std::vector<Entry> entries_;
};

// A temporary home, the model classes registered for archives and fresh shared instances.
class TelemetryTest : public ::testing::Test {
protected:
    TelemetryTest();
    ~TelemetryTest() override;

    TempHome home;
    LogCapture logs;
};

// The whole client on a fake clock against a loopback server, over the real files of the temporary
// home (the log store's "Logs.sqlite" among them). The fixture launches at once; a test may quit()
// and launch() again to see what the next process finds.
class LoopbackTelemetryTest : public TelemetryTest {
protected:
    LoopbackTelemetryTest();
    ~LoopbackTelemetryTest() override;

    // A new process as far as the client can tell: an HTTP client over libcurl and the fake
    // clock, sending to the server; the next start makes fresh instances over the same files.
    void launch();
    // The end of that process: lets the log queue finish its work, drops the services
    // (dropServices()) and the SDK's instance. Harmless when called again.
    void quit();
    // Drops the shared instances of the services the test started; quit() calls it before the SDK
    // goes. A fixture that overrides it calls quit() from its own destructor.
    virtual void dropServices() {}

    std::vector<nlohmann::json> sentLogs() const { return logsSentTo(server); }

    FakeClock clock;
    LoopbackServer server;
};

// Sets an environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

} // namespace sonvale::test
