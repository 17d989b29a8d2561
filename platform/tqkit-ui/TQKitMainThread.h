#pragma once

// Hand-off to the main thread (the thread of the one Qt event loop).

#include <functional>

class QObject;

// True on the thread that runs the application's event loop.
bool TQKitIsMainThread();

// Queues `call` to run on the thread of `context` (the main thread for every window and controller)
// on its next event-loop turn. When `context` is destroyed first, or is null, the call is dropped:
// pass the object whose state the call touches. Safe from any thread; never waits.
void TQKitPerformOnMainThread(QObject* context, std::function<void()> call);
