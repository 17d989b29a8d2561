#include "tests/support/QtTestSupport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEvent>
#include <QPixmap>
#include <QWidget>

namespace sonvale::test {

ScriptedResponder& scriptedResponder()
{
    static ScriptedResponder responder;
    return responder;
}

void pumpEvents()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

bool pumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit)
{
    const QDeadlineTimer deadline(limit);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 20);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
}

std::filesystem::path buildDir()
{
    return qEnvironmentVariable("SONVALE_BUILD_DIR", QStringLiteral(SONVALE_DEFAULT_BUILD_DIR)).toStdString();
}

std::filesystem::path saveScreenshot(QWidget* widget, const QString& name)
{
    if (!widget)
        return {};
    QDir folder(QString::fromStdString(buildDir().string()));
    if (!folder.mkpath(QStringLiteral("screenshots")))
        return {};
    const QString file = folder.filePath(QStringLiteral("screenshots/") + name + QStringLiteral(".png"));
    if (!widget->grab().save(file))
        return {};
    return std::filesystem::path(file.toStdString());
}

} // namespace sonvale::test
