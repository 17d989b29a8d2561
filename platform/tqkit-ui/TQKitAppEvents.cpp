#include "platform/tqkit-ui/TQKitAppEvents.h"

#include <QGuiApplication>
#include <QPointer>

namespace {

TQKitAppEventObserver currentObserver = nullptr;
void* currentContext = nullptr;
QPointer<QObject> stateWatch;

void watchApplicationState()
{
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!app || stateWatch)
        return;
    stateWatch = new QObject(app);
    QObject::connect(app, &QGuiApplication::applicationStateChanged, stateWatch, [](Qt::ApplicationState state) {
        if (currentObserver && (state == Qt::ApplicationInactive || state == Qt::ApplicationHidden))
            currentObserver(kTQKitAppEventFlush, currentContext);
    });
}

} // namespace

void TQKitAppEventObserverSet(TQKitAppEventObserver observer, void* context)
{
    currentObserver = observer;
    currentContext = context;
    if (observer)
        watchApplicationState();
}
