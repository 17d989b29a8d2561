#include "platform/tqkit/TQKitTagSettingsObserver.h"

#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

// Owns the notification thread; it starts with the first notification and is joined at exit.
class TQKitTagSettingsNotifier final {
public:
    static TQKitTagSettingsNotifier& shared()
    {
        static TQKitTagSettingsNotifier notifier;
        return notifier;
    }

    ~TQKitTagSettingsNotifier()
    {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        changed_.notify_all();
        if (thread_.joinable())
            thread_.join();
    }

    uint64_t set(TQKitTagSettingsObserverFunction function, void* context)
    {
        if (!function)
            return 0;
        std::lock_guard lock(mutex_);
        function_ = function;
        context_ = context;
        registration_ = nextRegistration_++;
        return registration_;
    }

    void clear(uint64_t registration)
    {
        std::unique_lock lock(mutex_);
        if (registration == 0 || registration != registration_)
            return;
        function_ = nullptr;
        context_ = nullptr;
        registration_ = 0;
        if (std::this_thread::get_id() == thread_.get_id())
            return; // cleared from inside its own call
        changed_.wait(lock, [&] { return calling_ != registration; });
    }

    void notify()
    {
        std::lock_guard lock(mutex_);
        pending_ = true;
        if (!thread_.joinable())
            thread_ = std::thread([this] { run(); });
        changed_.notify_all();
    }

private:
    TQKitTagSettingsNotifier() = default;

    void run()
    {
        std::unique_lock lock(mutex_);
        for (;;) {
            changed_.wait(lock, [&] { return pending_ || stopping_; });
            if (stopping_)
                return;
            pending_ = false;
            if (!function_)
                continue;
            const TQKitTagSettingsObserverFunction function = function_;
            void* const context = context_;
            calling_ = registration_;
            lock.unlock();
            function(context);
            lock.lock();
            calling_ = 0;
            changed_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    TQKitTagSettingsObserverFunction function_ = nullptr;
    void* context_ = nullptr;
    uint64_t registration_ = 0;
    uint64_t nextRegistration_ = 1;
    uint64_t calling_ = 0; // the registration whose call is running, 0 when none
    bool pending_ = false;
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace

uint64_t TQKitTagSettingsObserverSet(TQKitTagSettingsObserverFunction function, void* context)
{
    return TQKitTagSettingsNotifier::shared().set(function, context);
}

void TQKitTagSettingsObserverClear(uint64_t registration)
{
    TQKitTagSettingsNotifier::shared().clear(registration);
}

void TQKitTagSettingsObserverNotify() { TQKitTagSettingsNotifier::shared().notify(); }
