#pragma once

#include "telemetry/TQTMLogger.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

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
    void clear();

private:
    mutable std::mutex mutex_;
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
