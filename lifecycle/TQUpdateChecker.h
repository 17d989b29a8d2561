#pragma once

// The update check. It learns from the remote configuration whether a newer version exists,
// fetches its release notes on a worker thread and offers the update once per run: in the
// new-version window or, when that cannot be shown, by a question that leads to the product page.
// The check starts in the background when the main window loads; the Check for Updates command
// runs it in the foreground with a progress box.
//
// State: 0 idle, 1 started (waiting for the configuration), 2 fetching the release notes, 3 done.
// The check runs once per process. The fetch thread touches the state only under the update
// mutex and hands the offer to the main thread; everything else runs on the main thread. The
// clock-bound parts (the fetch's waits and the manual check's polling) go through injected
// services, so that tests run them without waiting.

#include "lifecycle/TQNewVersionWindowController.h"
#include "platform/tqkit/TQKitMutex.h"

#include <QPointer>

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

class QWidget;
struct TQKitHttpRequestRecord;

struct TQUpdateCheckServices {
    using ShouldStop = std::function<bool()>;
    std::function<bool()> isReachable;
    std::function<bool(TQKitHttpRequestRecord& request)> fetch;
    // Waits `duration` or less on the fetch thread; returns early once `shouldStop` answers true.
    std::function<void(std::chrono::milliseconds duration, const ShouldStop& shouldStop)> sleep;
    // Runs `call` on the main thread later.
    std::function<void(std::function<void()> call)> toMainThread;
    // Runs `call` on the main thread after `delay` (the manual check's polling).
    std::function<void(std::chrono::milliseconds delay, std::function<void()> call)> after;
    // Whether the remote configuration is loaded.
    std::function<bool()> configLoaded;
    // Runs `observer` once the remote configuration is loaded (at once when it is).
    std::function<void(std::function<void()> observer)> whenConfigLoaded;
    // False: the fetch runs when a test calls runFetch(), not on a thread.
    bool startsFetchThread = true;
    TQNewVersionWindowServices window;
};

class TQUpdateChecker final {
public:
    explicit TQUpdateChecker(TQUpdateCheckServices services);
    ~TQUpdateChecker();
    TQUpdateChecker(const TQUpdateChecker&) = delete;
    TQUpdateChecker& operator=(const TQUpdateChecker&) = delete;

    // The check of the process, behind the TQUpdateCheck* functions.
    static TQUpdateChecker& shared();

    bool startOnce();
    bool startInBackground();
    void runManual(QWidget* window);
    bool offerNewVersion(QWidget* window);
    bool isBusy() const;
    bool windowIsOpen() const;
    bool isRunning() const;
    bool windowIsBusy() const;
    bool windowIsShown() const;

    // The fetch thread's body: three attempts 10 s apart, each after the network is back.
    void runFetch(const TQUpdateCheckServices::ShouldStop& shouldStop);

    // Stops the fetch and lets the window go; the application calls it when it quits.
    void shutdown();

    int state() const;
    bool offered() const;
    TQNewVersionWindowController* windowController() const;

private:
    class FetchThread;

    void onRemoteConfig();
    bool waitForNetwork(const TQUpdateCheckServices::ShouldStop& shouldStop);
    bool offerWindowUnlessSkipped(QWidget* window);
    bool showNewVersionWindow(QWidget* window);
    bool showNewVersionWindowLocked(QWidget* window);
    bool askDownloadNewVersion(QWidget* window, bool markOffered);
    void showUpToDate(QWidget* window);
    void manualWaitForCheck(QPointer<QWidget> window, TQKitProgressBox* box, int pollsLeft);
    void manualWaitForWindow(QPointer<QWidget> window, TQKitProgressBox* box);
    void manualDecide(QPointer<QWidget> window, TQKitProgressBox* box);

    TQUpdateCheckServices services_;
    mutable TQKitMutex mutex_;
    int state_ = 0;                       // guarded by mutex_
    std::string notesAddress_;            // guarded by mutex_
    std::vector<uint8_t> notes_;          // guarded by mutex_
    bool offered_ = false;                // guarded by mutex_
    std::unique_ptr<TQNewVersionWindowController> controller_; // main thread, under mutex_
    std::unique_ptr<FetchThread> fetchThread_;
};
