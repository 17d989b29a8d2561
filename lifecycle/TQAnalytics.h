#pragma once

// Usage statistics as the application calls them: plain C entries over the process's one
// TQAnalyticsRecorder (see there for how events are filtered, queued and sent). Safe from any
// thread.

#include <cstdint>
#include <functional>
#include <string>

class TQKitConversionList;

// Reads the configuration (TQAnalyticsRecorder::configure); recording is `enabledDefault` until
// the remote configuration is loaded.
void TQAnalyticsInit(int enabledDefault);
bool TQAnalyticsIsEnabled();
// Records one usage event ("ae_..."); a null or empty name, or any name while recording is off,
// records nothing. Never fails.
void TQAnalyticsPostEvent(const char* name);
// Records "<name>_<suffix>" (cut at 259 bytes), or `name` alone for a null or empty suffix.
void TQAnalyticsPostEventWithSuffix(const char* name, const char* suffix);
// Asks the sender to send what is queued at its next round.
void TQAnalyticsRequestFlush();
// Stops the event sender and saves its state; called once by the process exit handler.
void TQAnalyticsShutdown();
// The application-event observer: code 1 asks for a flush. Answers 0.
int TQAnalyticsOnAppEvent(int code, void* context);

// Listeners see every name the application posts (before any filtering, also while recording is
// off), on the posting thread. For diagnostics and tests; the returned id removes the listener.
using TQAnalyticsListener = std::function<void(const std::string& name)>;
uint64_t TQAnalyticsAddListener(TQAnalyticsListener listener);
void TQAnalyticsRemoveListener(uint64_t id);
