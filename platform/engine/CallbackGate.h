#pragma once

#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

namespace sonvale::engine {

// One registered callback (function and context) that engine threads call, and that its owner may
// replace or remove at any time. Replacing waits until every call already running on another
// thread has returned, so a removed callback is never called again and its context may be freed
// right after; a call running on the replacing thread itself (a callback that removes itself) is
// not waited for. Callbacks must not wait for the thread that replaces them.
class CallbackGate final {
public:
    using AnyFunction = void (*)();
    struct Target {
        AnyFunction function = nullptr;
        void* context = nullptr;
    };

    // Holds the gate open for one call; the target is what was registered when the call began.
    class Call final {
    public:
        explicit Call(CallbackGate& gate);
        ~Call();
        Call(const Call&) = delete;
        Call& operator=(const Call&) = delete;
        const Target& target() const { return target_; }

    private:
        CallbackGate& gate_;
        Target target_;
    };

    void replace(Target target);

private:
    std::mutex mutex_;
    std::condition_variable idle_;
    Target target_;
    std::map<std::thread::id, int> runningCalls_;
};

} // namespace sonvale::engine
