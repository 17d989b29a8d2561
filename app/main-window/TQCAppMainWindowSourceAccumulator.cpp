#include "app/main-window/TQCAppMainWindowSourceAccumulator.h"

#include "platform/tqkit/TQKitMutex.h"

#include <algorithm>
#include <mutex>
#include <utility>

using namespace std::chrono_literals;

namespace {

// Guards the collected sources between the merge and the delayed start.
TQKitMutex accumulationMutex;

} // namespace

TQCAppMainWindowSourceAccumulator::TQCAppMainWindowSourceAccumulator(std::function<void(const QStringList&)> start)
    : start_(std::move(start))
{
}

std::chrono::milliseconds TQCAppMainWindowSourceAccumulator::delay(qsizetype count)
{
    const auto delay = std::chrono::milliseconds(count * 1000 / 200);
    return delay > 300ms ? std::min<std::chrono::milliseconds>(delay, 3000ms) : 300ms;
}

void TQCAppMainWindowSourceAccumulator::add(const QStringList& files)
{
    if (files.isEmpty())
        return;
    std::unique_lock lock(accumulationMutex);
    delayedCalls_.cancelAll();
    files_.append(files);
    const auto quietTime = delay(files_.size());
    lock.unlock();
    delayedCalls_.perform(quietTime, [this] {
        // The copy is taken under the lock and started after its release: a start may show alerts.
        std::unique_lock startLock(accumulationMutex);
        const QStringList batch = std::exchange(files_, {});
        startLock.unlock();
        start_(batch);
    });
}
