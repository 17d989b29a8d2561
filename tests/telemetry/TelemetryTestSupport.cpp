#include "tests/telemetry/TelemetryTestSupport.h"

#include "platform/system/HttpTransportCurl.h"
#include "platform/system/ManualNetworkReachability.h"
#include "telemetry/TQTMArchiverUtil.h"
#include "telemetry/TQTMChannelGroupDefault.h"
#include "telemetry/TQTMDependencyConfiguration.h"
#include "telemetry/TQTMDeviceTracker.h"
#include "telemetry/TQTMHttpClient.h"
#include "telemetry/TQTMLogsDispatchQueue.h"
#include "telemetry/TQTMSessionContext.h"
#include "telemetry/TQTMTelemetry.h"
#include "telemetry/TQTM_Reachability.h"
#include "telemetry/TQTMTelemetryUserDefaults.h"
#include "telemetry/TQTMUserIdContext.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>

namespace sonvale::test {

LogCapture::LogCapture()
{
    TQTMLogger::setLogHandler([this](const TQTMLogMessageProvider& message, TQTMLogLevel level,
                                     const std::string& tag, const char*, const char*, uint32_t) {
        {
            std::lock_guard lock(mutex_);
            entries_.push_back({level, tag, message()});
        }
        added_.notify_all();
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

bool LogCapture::waitFor(const std::string& message) const
{
    const auto logged = [&] {
        return std::ranges::any_of(entries_, [&](const Entry& entry) { return entry.message == message; });
    };
    std::unique_lock lock(mutex_);
    return added_.wait_for(lock, std::chrono::seconds(60), logged);
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

LoopbackTelemetryTest::LoopbackTelemetryTest()
{
    TQTMDependencyConfiguration::setClock(&clock);
    TQTMSessionContext::setSharedClock(clock);
    launch();
}

LoopbackTelemetryTest::~LoopbackTelemetryTest()
{
    quit();
    TQTMDependencyConfiguration::setClock(nullptr);
}

void LoopbackTelemetryTest::launch()
{
    TQTMDependencyConfiguration::setHttpClient(TQTMHttpClient::create(
        std::make_unique<HttpTransportCurl>(),
        std::make_shared<TQTM_Reachability>(std::make_shared<ManualNetworkReachability>()), clock));
    TQTMTelemetry::setLogUrl(server.baseUrl());
}

void LoopbackTelemetryTest::quit()
{
    if (auto group = TQTMTelemetry::sharedInstance().channelGroup())
        group->logsDispatchQueue()->sync([] {});
    dropServices();
    TQTMTelemetry::resetSharedInstance();
    TQTMDependencyConfiguration::setHttpClient(nullptr);
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
