#include "tests/support/QtTestSupport.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFont>
#include <QDeadlineTimer>
#include <QDir>
#include <QEvent>
#include <QPalette>
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

QPalette darkPalette()
{
    QPalette p;
    p.setColor(QPalette::Window, QColor(0x2b, 0x2b, 0x2e));
    p.setColor(QPalette::WindowText, QColor(0xe8, 0xe8, 0xea));
    p.setColor(QPalette::Base, QColor(0x1f, 0x1f, 0x22));
    p.setColor(QPalette::AlternateBase, QColor(0x2f, 0x2f, 0x33));
    p.setColor(QPalette::Text, QColor(0xe8, 0xe8, 0xea));
    p.setColor(QPalette::Button, QColor(0x3a, 0x3a, 0x3e));
    p.setColor(QPalette::ButtonText, QColor(0xe8, 0xe8, 0xea));
    p.setColor(QPalette::Highlight, QColor(0x3d, 0x7e, 0xd6));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Link, QColor(0x6c, 0xb0, 0xff));
    p.setColor(QPalette::ToolTipBase, QColor(0x3a, 0x3a, 0x3e));
    p.setColor(QPalette::ToolTipText, QColor(0xe8, 0xe8, 0xea));
    p.setColor(QPalette::PlaceholderText, QColor(0x90, 0x90, 0x94));
    return p;
}

std::string screenshotLookName(const ScreenshotLook& look)
{
    return std::string(look.dark ? "Dark" : "Light") + (look.largeFont ? "Font11" : "DefaultFont");
}

QString screenshotLookSuffix(const ScreenshotLook& look)
{
    return QString::fromLatin1(look.dark ? "dark" : "light") + QString::fromLatin1(look.largeFont ? "-11pt" : "-default");
}

ScreenshotLookScope::ScreenshotLookScope(const ScreenshotLook& look)
    : font_(std::make_unique<QFont>(QApplication::font()))
{
    if (look.dark)
        QApplication::setPalette(darkPalette());
    if (look.largeFont) {
        QFont large = *font_;
        large.setPointSizeF(11.0);
        QApplication::setFont(large);
    }
}

ScreenshotLookScope::~ScreenshotLookScope()
{
    QApplication::setPalette(QPalette());
    QApplication::setFont(*font_);
}

QWidget* visibleTopLevelWidget(const QString& objectName)
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == objectName && widget->isVisible())
            return widget;
    }
    return nullptr;
}

} // namespace sonvale::test
