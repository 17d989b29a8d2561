#pragma once

#include <atomic>
#include <mutex>
#include <string>

// Base of the objects that report the progress of a long task and tell it when to stop. The task
// calls setStatusText() / setProgress() and polls IsStopped() from its own thread; the observer
// reads them and calls Stop() from any other. Every member is safe from any thread.
class TQKitProgressTracker {
public:
    TQKitProgressTracker() = default;
    virtual ~TQKitProgressTracker() = default;
    TQKitProgressTracker(const TQKitProgressTracker&) = delete;
    TQKitProgressTracker& operator=(const TQKitProgressTracker&) = delete;

    // Whether the task should stop. Subclasses add conditions of their own (a closed window, a
    // stopped list) and include the base answer.
    virtual bool IsStopped() const { return stopped_.load(); }
    void Stop() { stopped_.store(true); }

    std::string statusText() const;
    void setStatusText(std::string text);

    // Fraction done, 0 to 1; values outside are clamped. Subclasses may pass it on as well.
    double progress() const { return progress_.load(); }
    virtual void setProgress(double value);

private:
    std::atomic<bool> stopped_{false};
    std::atomic<double> progress_{0.0};
    mutable std::mutex textMutex_;
    std::string statusText_;
};
