#pragma once

// The usage-event recorder and its sender. Posted names are normalised, filtered through the
// allow and deny lists of the remote configuration and a per-name minimum interval, and queued; a
// sender thread hands the queue in batches to the statistics service, after a quiet period since
// the last event, once a batch threshold is reached or a send interval has passed (both double
// after each such send, up to their bounds). The time at which each name was last accepted
// survives restarts in an event-time file. Until the configuration switches recording on, every
// event is dropped.
//
// Threads: post(), requestFlush() and configure() may be called from any thread; the sender runs
// on its own thread; stop() is called once, when the application ends. One mutex guards the
// lists, the time map, the queue, the last-request time and the file; the web request runs
// outside it. The clock, the network and the sleeps are injected so that tests run the sender's
// timeline on a fake clock.

#include "platform/system/Clock.h"
#include "platform/tqkit/TQKitMutex.h"
#include "platform/tqkit/TQKitThread.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

class TQKitRemoteParams;

// The numeric parameters "TQAppAn002" to "TQAppAn007"; the initial values are the defaults.
struct TQAnalyticsParams {
    int eventInterval = 10800;    // per-name minimum interval, s; also the age limit of the file
    int sendIntervalStart = 300;  // s
    int sendIntervalMax = 1800;   // s
    int batchThresholdStart = 1;  // events
    int batchThresholdMax = 32;   // events
    int quietTime = 30;           // s after the last event before the sender acts
};

// What the recorder needs from the outside world.
struct TQAnalyticsServices {
    using ShouldStop = std::function<bool()>;
    // Sends one batch of request lines; true when the service took it. `shouldStop` is empty for
    // the last send at shutdown.
    using WebRequest = std::function<bool(const std::vector<std::string>& lines, const ShouldStop& shouldStop,
                                          int timeoutMs)>;
    // Waits `duration` or less; returns early when `shouldStop` answers true (or is woken).
    using Sleep = std::function<void(std::chrono::milliseconds duration, const ShouldStop& shouldStop)>;

    sonvale::Clock* clock = nullptr;
    const TQKitRemoteParams* params = nullptr;
    std::function<bool()> isReachable;
    WebRequest webRequest;
    // Empty: the recorder waits on its own stop signal in real time.
    Sleep sleep;
    // The event-time file, asked each time it is read or written.
    std::function<std::filesystem::path()> eventTimeFile;
    // False: post() never starts a thread (tests drive runSender() themselves).
    bool startsSenderThread = true;
};

class TQAnalyticsRecorder final {
public:
    explicit TQAnalyticsRecorder(TQAnalyticsServices services);
    ~TQAnalyticsRecorder();
    TQAnalyticsRecorder(const TQAnalyticsRecorder&) = delete;
    TQAnalyticsRecorder& operator=(const TQAnalyticsRecorder&) = delete;

    // Reads the parameters and the lists, switches recording on or off (`enabledDefault` when the
    // configuration is not loaded) and, once recording is on, loads the event-time file.
    void configure(bool enabledDefault);
    bool isEnabled() const { return enabled_.load(); }

    void post(const char* name);
    void requestFlush();
    // Stops the sender (promptly, also during a request), sends what is left when the last request
    // succeeded, and saves the event-time file.
    void stop();

    // The sender's loop, until `shouldStop` answers true. The sender thread runs it; tests call it
    // directly with a fake clock and a sleep that advances it.
    void runSender(const TQAnalyticsServices::ShouldStop& shouldStop);
    // Sends the whole pending queue; true only when a request was made and succeeded.
    bool sendPending(const TQAnalyticsServices::ShouldStop& shouldStop, int timeoutMs);

    // Inspection.
    std::vector<std::string> pending() const;
    uint64_t currentSendInterval() const;
    uint64_t currentBatchThreshold() const;
    std::map<std::string, int64_t> eventTimes() const;

    void saveEventTimes();
    void loadEventTimes();

    static std::string encodeEventTimes(const std::vector<std::string>& items);
    static std::vector<std::string> decodeEventTimes(const std::string& packed);

private:
    class SenderThread;

    int64_t now() const;
    bool queue(const std::string& name);
    bool waitForNetwork(const TQAnalyticsServices::ShouldStop& shouldStop);
    void sleep(std::chrono::milliseconds duration, const TQAnalyticsServices::ShouldStop& shouldStop);
    void senderStep();
    int64_t lastRequestTime() const;
    void loadEventTimesLocked();

    TQAnalyticsServices services_;

    mutable TQKitMutex storeMutex_;
    std::atomic<bool> enabled_{false};
    std::atomic<int64_t> lastEventTime_{0};
    std::atomic<bool> flushRequested_{false};
    std::atomic<bool> lastRequestOk_{true};
    TQAnalyticsParams params_;                 // guarded by storeMutex_
    std::vector<std::string> allowList_;       // guarded by storeMutex_
    std::vector<std::string> denyList_;        // guarded by storeMutex_
    std::map<std::string, int64_t> eventTimes_; // guarded by storeMutex_
    std::vector<std::string> pending_;         // guarded by storeMutex_
    uint64_t sendInterval_ = 300;              // guarded by storeMutex_
    uint64_t batchThreshold_ = 1;              // guarded by storeMutex_
    bool eventTimesLoaded_ = false;            // guarded by storeMutex_

    std::mutex wakeMutex_;
    std::condition_variable wake_;
    std::atomic<bool> stopping_{false};
    std::mutex senderStartMutex_;
    std::unique_ptr<SenderThread> sender_;
};

// The name as it is recorded: at most 259 bytes, lower case, separators and bytes outside ASCII
// made "_", no leading or trailing "_", no doubled "_". May be empty.
std::string TQAnalyticsSanitizeEventName(const char* name);
