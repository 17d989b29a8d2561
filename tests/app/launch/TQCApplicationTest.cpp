#include "app/launch/TQCApplication.h"

#include "crashes/TQTMApplicationForwarder.h"
#include "platform/system/Exception.h"
#include "platform/system/UserDefaults.h"
#include "tests/support/TempHome.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

namespace {

// Raises one of our exceptions for each event of the first user type; counts the others.
class RaisingReceiver final : public QObject {
public:
    bool event(QEvent* event) override
    {
        if (event->type() == QEvent::User)
            throw sonvale::Exception("TQTestException", "raised while handling an event");
        if (event->type() == QEvent::Type(QEvent::User + 1)) {
            ++delivered;
            return true;
        }
        return QObject::event(event);
    }
    int delivered = 0;
};

QStringList warnings;

void recordWarning(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtWarningMsg)
        warnings.append(message);
}

} // namespace

// With the crash service's switch on but no engine handler kept (the service is not running here),
// an exception raised in an event handler reaches the application's own report, and delivery goes on.
TEST(TQCApplicationTest, ExceptionRaisedWhileHandlingAnEventIsReportedAndDeliveryGoesOn)
{
    const sonvale::test::TempHome home;
    ASSERT_TRUE(sonvale::UserDefaults(sonvale::UserDefaults::standardPath())
                    .setObjectForKey(true, TQTMApplicationForwarder::kCrashOnExceptionsKey));
    int argc = 1;
    char name[] = "sonvale";
    char* argv[] = {name, nullptr};
    TQCApplication application(argc, argv);
    TQTMApplicationForwarder::registerForwarding();
    ASSERT_TRUE(TQTMApplicationForwarder::isSendEventReplaced());
    const QtMessageHandler previous = qInstallMessageHandler(recordWarning);

    RaisingReceiver receiver;
    QEvent raising(QEvent::User);
    EXPECT_FALSE(QCoreApplication::sendEvent(&receiver, &raising));
    QEvent ordinary(QEvent::Type(QEvent::User + 1));
    EXPECT_TRUE(QCoreApplication::sendEvent(&receiver, &ordinary));
    EXPECT_EQ(receiver.delivered, 1);

    qInstallMessageHandler(previous);
    EXPECT_EQ(warnings, QStringList{QStringLiteral("TQTestException raised while handling an event")});
}
