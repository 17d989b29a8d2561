#pragma once

// A background thread's way to get an answer from the main thread: `ask` runs there and calls its
// `answer` once, at once or later (when an alert is answered); the calling thread waits for it.
// When the main thread never runs `ask` or drops `answer` (the application is going away), the
// caller gets `fallback`. Never call it on the main thread.

#include "platform/tqkit-ui/TQKitMainThread.h"

#include <QCoreApplication>

#include <functional>
#include <future>
#include <memory>

template <class T>
T TQCAppWaitForMainThreadAnswer(std::function<void(std::function<void(T)> answer)> ask, T fallback)
{
    auto promise = std::make_shared<std::promise<T>>();
    std::future<T> future = promise->get_future();
    TQKitPerformOnMainThread(QCoreApplication::instance(), [ask = std::move(ask), promise]() mutable {
        auto once = std::make_shared<bool>(false);
        ask([promise, once](T value) {
            if (*once)
                return;
            *once = true;
            promise->set_value(std::move(value));
        });
    });
    promise.reset(); // the main thread now holds the only promise: dropping it breaks the wait
    try {
        return future.get();
    } catch (const std::future_error&) {
        return fallback;
    }
}
