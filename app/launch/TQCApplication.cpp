#include "app/launch/TQCApplication.h"

#include "crashes/TQTMApplicationForwarder.h"
#include "platform/system/Exception.h"

#include <QDebug>

TQCApplication::TQCApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TQCApplication::notify(QObject* receiver, QEvent* event)
{
    const auto deliver = [this, receiver, event] { return QApplication::notify(receiver, event); };
    if (!TQTMApplicationForwarder::isSendEventReplaced())
        return deliver();
    return TQTMApplicationForwarder::sendEventReplacement(deliver, logException);
}

void TQCApplication::reportException(const sonvale::Exception& exception)
{
    if (TQTMApplicationForwarder::isReportExceptionReplaced())
        TQTMApplicationForwarder::reportExceptionReplacement(exception, logException);
    else
        logException(exception);
}

void TQCApplication::logException(const sonvale::Exception& exception)
{
    qWarning().noquote() << QString::fromStdString(exception.name()) << QString::fromStdString(exception.reason());
}
