#pragma once

// Application events for the application's own services. Code 1 asks for a flush: the
// application has left the foreground (its windows lost the focus or were hidden), a quiet
// moment to send what is pending. The observer runs on the main thread.

using TQKitAppEventObserver = int (*)(int code, void* context);

inline constexpr int kTQKitAppEventFlush = 1;

// Sets the one observer (null removes it). Main thread.
void TQKitAppEventObserverSet(TQKitAppEventObserver observer, void* context);
