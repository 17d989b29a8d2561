#pragma once

#include "telemetry/TQTMDelegateForwarder.h"

// What SDK objects may hear of the application delegate. Every callback does nothing by default.
class TQTMCustomApplicationDelegate {
public:
    virtual ~TQTMCustomApplicationDelegate() = default;

    virtual void applicationDidFinishLaunching() {}
    // Answers the reply to a quit request (0 cancel, 1 quit now, 2 later), given the reply so far.
    virtual int applicationShouldTerminateReturnedValue(int returnedValue) { return returnedValue; }
};

// The forwarder of the application delegate, switched by the information key
// "TelemetryAppDelegateForwarderEnabled" (enabled when absent). The application's delegate calls
// it from the callbacks below.
class TQTMAppDelegateForwarder final
    : public TQTMDelegateForwarderOf<TQTMCustomApplicationDelegate> {
public:
    static constexpr const char* kEnabledKey = "TelemetryAppDelegateForwarderEnabled";

    // Made on first use, which reads the key and buffers its trace.
    static std::shared_ptr<TQTMAppDelegateForwarder> sharedInstance();
    static void resetSharedInstance();

    void applicationDidFinishLaunching();
    int applicationShouldTerminateReturnedValue(int returnedValue);
};
