#include "tests/telemetry/TelemetryTestSupport.h"

#include "telemetry/TQTMArchiverUtil.h"
#include "telemetry/TQTMDeviceTracker.h"
#include "telemetry/TQTMSessionContext.h"
#include "telemetry/TQTMTelemetry.h"
#include "telemetry/TQTMTelemetryUserDefaults.h"
#include "telemetry/TQTMUserIdContext.h"

#include <cstdlib>

namespace sonvale::test {

LogCapture::LogCapture()
{
    TQTMLogger::setLogHandler([this](const TQTMLogMessageProvider& message, TQTMLogLevel level,
                                     const std::string& tag, const char*, const char*, uint32_t) {
        std::lock_guard lock(mutex_);
        entries_.push_back({level, tag, message()});
    });
}

LogCapture::~LogCapture()
{
    TQTMLogger::flush();
    TQTMLogger::setLogHandler(TQTMLogger::defaultLogHandler());
    TQTMLogger::flush();
}

std::vector<LogCapture::Entry> LogCapture::entries() const
{
    TQTMLogger::flush();
    std::lock_guard lock(mutex_);
    return entries_;
}

std::vector<std::string> LogCapture::messages() const
{
    std::vector<std::string> messages;
    for (const Entry& entry : entries())
        messages.push_back(entry.message);
    return messages;
}

size_t LogCapture::count(const std::string& message) const
{
    size_t found = 0;
    for (const Entry& entry : entries())
        found += entry.message == message;
    return found;
}

void LogCapture::clear()
{
    TQTMLogger::flush();
    std::lock_guard lock(mutex_);
    entries_.clear();
}

TelemetryTest::TelemetryTest()
{
    TQTMArchiverUtil::addAllowedTelemetryModuleClasses();
    TQTMTelemetry::resetSharedInstance();
    TQTMTelemetryUserDefaults::resetSharedInstance();
    TQTMDeviceTracker::resetSharedInstance();
    TQTMSessionContext::resetSharedInstance();
    TQTMUserIdContext::resetSharedInstance();
}

TelemetryTest::~TelemetryTest()
{
    TQTMTelemetry::resetSharedInstance();
    TQTMDeviceTracker::resetSharedInstance();
    TQTMSessionContext::resetSharedInstance();
    TQTMUserIdContext::resetSharedInstance();
    TQTMTelemetryUserDefaults::resetSharedInstance();
}

ScopedEnv::ScopedEnv(const char* name, const char* value) : name_(name)
{
    if (const char* old = std::getenv(name))
        old_ = old;
    if (value)
        ::setenv(name, value, 1);
    else
        ::unsetenv(name);
}

ScopedEnv::~ScopedEnv()
{
    if (old_)
        ::setenv(name_, old_->c_str(), 1);
    else
        ::unsetenv(name_);
}

} // namespace sonvale::test
