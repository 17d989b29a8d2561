#include "telemetry/TQTMDelegateForwarder.h"

#include "platform/system/AppInfo.h"
#include "telemetry/TQTMLogger.h"

#include <optional>

namespace {

struct TraceBuffer {
    std::mutex mutex;
    // Dropped for good by the first flush.
    std::optional<std::vector<std::function<void()>>> blocks{std::in_place};
    bool started = false;
};

TraceBuffer& traceBuffer()
{
    static TraceBuffer buffer;
    return buffer;
}

} // namespace

bool TQTMDelegateForwarder::isEnabled() const
{
    std::lock_guard lock(mutex_);
    return enabled_;
}

void TQTMDelegateForwarder::setEnabled(bool enabled)
{
    std::lock_guard lock(mutex_);
    enabled_ = enabled;
    if (!enabled)
        removeAllDelegates();
}

void TQTMDelegateForwarder::setEnabledFromPlistForKey(const std::string& key)
{
    const auto value = sonvale::AppInfo::main().objectForInfoDictionaryKey(key);
    const bool enabled = !value || !value->is_boolean() || value->get<bool>();
    {
        std::lock_guard lock(mutex_);
        enabled_ = enabled;
    }
    addTraceBlock([key, enabled] {
        TQTMLogDebug(kTQTMCoreLogTag,
                     "Delegate forwarder for info.plist key '" + key +
                         (enabled ? "' enabled. It may use swizzling."
                                  : "' disabled. It won't use swizzling."));
    });
}

void TQTMDelegateForwarder::addTraceBlock(std::function<void()> block)
{
    {
        TraceBuffer& buffer = traceBuffer();
        std::lock_guard lock(buffer.mutex);
        if (buffer.blocks) {
            if (!buffer.started) {
                buffer.started = true;
                buffer.blocks->push_back(
                    [] { TQTMLogVerbose(kTQTMCoreLogTag, "Start buffering traces."); });
            }
            buffer.blocks->push_back(std::move(block));
            return;
        }
    }
    block();
}

void TQTMDelegateForwarder::flushTraceBuffer()
{
    TraceBuffer& buffer = traceBuffer();
    std::lock_guard lock(buffer.mutex);
    if (!buffer.blocks)
        return;
    for (const auto& block : *buffer.blocks)
        block();
    buffer.blocks.reset();
    TQTMLogVerbose(kTQTMCoreLogTag, "Stop buffering traces, flushed.");
}

void TQTMDelegateForwarder::resetTraceBuffer()
{
    TraceBuffer& buffer = traceBuffer();
    std::lock_guard lock(buffer.mutex);
    buffer.blocks.emplace();
    buffer.started = false;
}
