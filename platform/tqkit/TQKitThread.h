#pragma once

#include <atomic>
#include <thread>

// A worker thread whose body a subclass supplies in Run(). The owner calls Start() once and later
// stops it with RequestStop() (which sets the stop flag to 1 atomically) followed by Join(); Run()
// polls StopRequested() and returns soon after it turns true.
//
// A subclass whose Run() uses its own members must call Join() in its destructor (or before), as the
// subclass is gone by the time this base destructor runs; the base destructor joins as a last resort
// so that a forgotten thread never outlives its object unnoticed.
class TQKitThread {
public:
    TQKitThread() = default;
    virtual ~TQKitThread();
    TQKitThread(const TQKitThread&) = delete;
    TQKitThread& operator=(const TQKitThread&) = delete;

    // Starts Run() on a new thread; false when it already runs or has not been joined yet.
    bool Start();
    // Waits for Run() to return; nothing happens when the thread was not started. Never call it from
    // the thread itself.
    void Join();

    void RequestStop() { stop_.store(1); }
    bool StopRequested() const { return stop_.load() != 0; }
    // True from Start() until Run() has returned.
    bool IsRunning() const { return running_.load(); }

protected:
    virtual void Run() = 0;

private:
    std::atomic<int> stop_{0};
    std::atomic<bool> running_{false};
    std::thread thread_;
};
