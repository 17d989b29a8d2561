#include "platform/tqkit-ui/TQKitDelayedCalls.h"

#include <QObject>
#include <QTimer>

namespace {

QList<QTimer*> pendingTimers(const QObject* owner)
{
    return owner->findChildren<QTimer*>(QString(), Qt::FindDirectChildrenOnly);
}

} // namespace

TQKitDelayedCalls::TQKitDelayedCalls() : timers_(std::make_unique<QObject>()) {}

TQKitDelayedCalls::~TQKitDelayedCalls() = default;

void TQKitDelayedCalls::perform(std::chrono::milliseconds delay, std::function<void()> call,
                                const QString& tag)
{
    auto* timer = new QTimer(timers_.get());
    timer->setObjectName(tag);
    timer->setSingleShot(true);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, call = std::move(call)] {
        // Leave the pending set before running, so the call itself may perform or cancel others.
        timer->setParent(nullptr);
        timer->deleteLater();
        call();
    });
    timer->start(delay);
}

void TQKitDelayedCalls::cancel(const QString& tag)
{
    for (QTimer* timer : pendingTimers(timers_.get())) {
        if (timer->objectName() == tag)
            delete timer;
    }
}

void TQKitDelayedCalls::cancelAll() { qDeleteAll(pendingTimers(timers_.get())); }

int TQKitDelayedCalls::pendingCount() const { return static_cast<int>(pendingTimers(timers_.get()).size()); }
