#pragma once

#include <functional>

namespace sonvale {

// Something that runs closures later, on threads of its own choosing (a serial queue, the global
// pool, the main thread). post() never runs the closure before it returns and never blocks on it.
class Executor {
public:
    virtual ~Executor() = default;
    virtual void post(std::function<void()> task) = 0;
};

// The application's main thread. The Qt floor implements it with a queued call on the event loop;
// tests use ManualExecutor and pump it by hand.
class MainThreadExecutor : public Executor {};

} // namespace sonvale
