#include "platform/tqkit-ui/TQKitMainThread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

bool TQKitIsMainThread()
{
    const QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

void TQKitPerformOnMainThread(QObject* context, std::function<void()> call)
{
    if (!context || !call)
        return;
    QMetaObject::invokeMethod(context, std::move(call), Qt::QueuedConnection);
}
