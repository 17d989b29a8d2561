#pragma once

#include "platform/tqkit-ui/TQKitDelayedCalls.h"

#include <QStringList>

#include <chrono>
#include <functional>

// Merges sources that arrive in quick succession (one drop or open request after another) into
// one batch, handed to `start` once none has come for a while. Owned by the main window
// controller; main thread only, though the collected list is locked for its delayed hand-over.
class TQCAppMainWindowSourceAccumulator final {
public:
    explicit TQCAppMainWindowSourceAccumulator(std::function<void(const QStringList&)> start);

    // Adds `files` and restarts the quiet time; nothing for an empty list.
    void add(const QStringList& files);
    // The quiet time after `count` sources so far: n / 200 s, at least 0.3 s and at most 3.0 s.
    static std::chrono::milliseconds delay(qsizetype count);

private:
    std::function<void(const QStringList&)> start_;
    QStringList files_; // guarded by the mutex of the source file
    TQKitDelayedCalls delayedCalls_; // last: pending calls go before the list they use
};
