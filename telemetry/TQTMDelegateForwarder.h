#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// The base of the forwarders that let SDK objects hear the callbacks of one of the application's
// delegates. The application's delegate calls its forwarder explicitly from each callback (there
// is no run-time method replacement here); the forwarder hands the call to its weakly held
// delegates while it is enabled. A callback whose result the delegates may change passes the
// value each delegate returns on to the next.
//
// The class also keeps the trace buffer: messages produced before the application has chosen a
// log level wait there and go to the logger, in order, when the level is set.
//
// Safe from any thread: the instance's lock guards the flag and the delegates, the buffer has
// its own lock; delegates are called outside both.
class TQTMDelegateForwarder {
public:
    virtual ~TQTMDelegateForwarder() = default;

    bool isEnabled() const;
    // Disabling also forgets every delegate.
    void setEnabled(bool enabled);
    // The flag from the application's information key; enabled when the key is absent.
    void setEnabledFromPlistForKey(const std::string& key);

    // Runs the block at the next flush, or at once once the buffer has been flushed.
    static void addTraceBlock(std::function<void()> block);
    static void flushTraceBuffer();
    // Starts a new buffer (as at program start).
    static void resetTraceBuffer();

protected:
    // Called with the lock held.
    virtual void removeAllDelegates() = 0;

    mutable std::mutex mutex_;
    bool enabled_ = true;
};

// A forwarder for one kind of delegate.
template <class Delegate>
class TQTMDelegateForwarderOf : public TQTMDelegateForwarder {
public:
    void addDelegate(const std::shared_ptr<Delegate>& delegate)
    {
        std::lock_guard lock(mutex_);
        if (enabled_ && delegate)
            delegates_.push_back(delegate);
    }
    void removeDelegate(const std::shared_ptr<Delegate>& delegate)
    {
        std::lock_guard lock(mutex_);
        if (!enabled_)
            return;
        std::erase_if(delegates_, [&](const auto& weak) {
            const auto held = weak.lock();
            return !held || held == delegate;
        });
    }

protected:
    // Hands a callback to every live delegate.
    void forwardInvocation(const std::function<void(Delegate&)>& call)
    {
        for (const auto& delegate : liveDelegates())
            call(*delegate);
    }
    // Hands a callback with a result to every live delegate, each seeing the value the previous
    // one returned; with none, the value given.
    template <class T>
    T forwardReturnedValue(T returnedValue, const std::function<T(Delegate&, T)>& call)
    {
        for (const auto& delegate : liveDelegates())
            returnedValue = call(*delegate, returnedValue);
        return returnedValue;
    }

private:
    std::vector<std::shared_ptr<Delegate>> liveDelegates()
    {
        std::lock_guard lock(mutex_);
        std::vector<std::shared_ptr<Delegate>> live;
        if (!enabled_)
            return live;
        for (const auto& weak : delegates_)
            if (auto delegate = weak.lock())
                live.push_back(std::move(delegate));
        return live;
    }
    void removeAllDelegates() override { delegates_.clear(); }

    std::vector<std::weak_ptr<Delegate>> delegates_;
};
