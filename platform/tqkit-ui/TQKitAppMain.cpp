#include "platform/tqkit-ui/TQKitAppMain.h"

#include "platform/tqkit-ui/TQKitAppDelegate.h"
#include "platform/tqkit-ui/TQKitAppInfo.h"
#include "platform/tqkit-ui/TQKitApplicationFacts.h"
#include "platform/tqkit-ui/TQKitDockMenu.h"
#include "platform/tqkit-ui/TQKitReachabilityQt.h"
#include "platform/tqkit-ui/TQKitRemoteConfig.h"
#include "platform/tqkit-ui/TQKitSingleInstance.h"

#include <algorithm>

#include <QApplication>
#include <QDir>
#include <QTimer>
#include <QUrl>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace {

TQKitAppDelegate* runningDelegate = nullptr; // main thread only, while TQKitAppMain runs

QString textOf(const char* text) { return text ? QString::fromUtf8(text) : QString(); }

void deliverLaterLaunch(TQKitAppDelegate& delegate, const QStringList& arguments)
{
    const QStringList files = TQKitOpenRequestFromArguments(arguments, QDir::current());
    if (!files.isEmpty()) {
        delegate.applicationOpenFiles(files);
        return;
    }
    const QWidget* window = delegate.window();
    delegate.applicationShouldHandleReopenHasVisibleWindows(window && window->isVisible());
}

} // namespace

QStringList TQKitOpenRequestFromArguments(const QStringList& arguments, const QDir& workingDir)
{
    QStringList files;
    bool separatorSeen = false;
    for (const QString& argument : arguments) {
        if (argument.isEmpty())
            continue;
        // "--" ends the options by habit; there are none, so only a second one is a name.
        if (argument == u"--"_s && !separatorSeen) {
            separatorSeen = true;
            continue;
        }
        // Only "scheme://" makes a URL: a file name may well hold a colon.
        const QUrl url(argument, QUrl::StrictMode);
        if (argument.contains(u"://"_s) && url.isValid() && !url.scheme().isEmpty()) {
            files.append(url.isLocalFile() ? url.toLocalFile() : argument);
            continue;
        }
        files.append(QDir::cleanPath(workingDir.absoluteFilePath(argument)));
    }
    return files;
}

int TQKitAppMain(int argc, char** argv, const char* productCode, const char* storeAppId,
                 const char* productPageUrl, const char* productPageUrlAgain, const char* supportPageUrl,
                 const char* versionId, const TQKitApplicationMaker& makeApplication,
                 const TQKitMainInterfaceLoader& loadMainInterface)
{
    // Every argument is a file, a folder or an address: Qt sees none of them, so that a file named
    // "-reverse" or "-platform" is opened, not taken as an option of Qt's.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    int qtArgc = std::min(argc, 1);
    const std::unique_ptr<QApplication> app = makeApplication(qtArgc, argv);
    TQKitAppInfo::setCurrent({textOf(productCode), textOf(storeAppId), textOf(productPageUrl),
                              textOf(productPageUrlAgain), textOf(supportPageUrl), textOf(versionId)});
    QApplication::setApplicationName(u"Sonvale"_s);
    QApplication::setApplicationVersion(TQKitAppInfo::current().version());
    QApplication::setDesktopFileName(u"sonvale"_s);

    TQKitSingleInstance instance(TQKitSingleInstance::defaultSocketPath());
    if (!instance.becomeRunningInstance())
        return instance.forward(TQKitOpenRequestFromArguments(arguments, QDir::current())) ? 0 : 1;

    TQKitReachabilityQt reachability;
    TQKitReachability::install(&reachability);
    TQKitNoteLaunch();
    std::unique_ptr<TQKitAppDelegate> delegate = loadMainInterface();
    runningDelegate = delegate.get();
    TQKitDockMenu dockMenu(*delegate);

    QObject::connect(&instance, &TQKitSingleInstance::argumentsReceived, app.get(),
                     [&delegate](const QStringList& later) { deliverLaterLaunch(*delegate, later); });
    QApplication::setQuitOnLastWindowClosed(false);
    QObject::connect(app.get(), &QGuiApplication::lastWindowClosed, app.get(), [&delegate] {
        if (TQKitAppLastWindowClosed(*delegate))
            QApplication::quit();
    });

    if (QWidget* window = delegate->window())
        window->show();
    QTimer::singleShot(0, app.get(), [&delegate, &arguments] {
        const QStringList files = TQKitOpenRequestFromArguments(arguments, QDir::current());
        if (!files.isEmpty())
            delegate->applicationOpenFiles(files);
        delegate->applicationDidFinishLaunching();
        TQKitRemoteConfigLoad();
    });

    const int exitCode = QApplication::exec();
    runningDelegate = nullptr;
    delegate.reset(); // windows go before the application object
    TQKitReachability::install(nullptr);
    return exitCode;
}

void TQKitAppRequestTerminate()
{
    if (runningDelegate && runningDelegate->applicationShouldTerminate() == 1)
        QApplication::quit();
}

bool TQKitAppLastWindowClosed(TQKitAppDelegate& delegate)
{
    return delegate.applicationShouldTerminateAfterLastWindowClosed() || delegate.applicationShouldTerminate() == 1;
}

void TQKitMainWindowShow(QWidget* window)
{
    if (!window)
        return;
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}
