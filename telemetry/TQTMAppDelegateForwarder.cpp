#include "telemetry/TQTMAppDelegateForwarder.h"

namespace {

std::mutex& forwarderMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::shared_ptr<TQTMAppDelegateForwarder>& forwarderSlot()
{
    static std::shared_ptr<TQTMAppDelegateForwarder> forwarder;
    return forwarder;
}

} // namespace

std::shared_ptr<TQTMAppDelegateForwarder> TQTMAppDelegateForwarder::sharedInstance()
{
    std::lock_guard lock(forwarderMutex());
    auto& forwarder = forwarderSlot();
    if (!forwarder) {
        forwarder = std::make_shared<TQTMAppDelegateForwarder>();
        forwarder->setEnabledFromPlistForKey(kEnabledKey);
    }
    return forwarder;
}

void TQTMAppDelegateForwarder::resetSharedInstance()
{
    std::lock_guard lock(forwarderMutex());
    forwarderSlot().reset();
}

void TQTMAppDelegateForwarder::applicationDidFinishLaunching()
{
    forwardInvocation([](TQTMCustomApplicationDelegate& delegate) {
        delegate.applicationDidFinishLaunching();
    });
}

int TQTMAppDelegateForwarder::applicationShouldTerminateReturnedValue(int returnedValue)
{
    return forwardReturnedValue<int>(
        returnedValue, [](TQTMCustomApplicationDelegate& delegate, int value) {
            return delegate.applicationShouldTerminateReturnedValue(value);
        });
}
