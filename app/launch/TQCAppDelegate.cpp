#include "app/launch/TQCAppDelegate.h"

#include "app/controls/TQMenuItemPerformer.h"
#include "app/main-window/TQCAppMainWindowController.h"
#include "lifecycle/TQTelemetryStart.h"
#include "lifecycle/TQUpdateCheck.h"
#include "platform/tqkit-ui/TQKitAppMain.h"
#include "platform/tqkit-ui/TQKitMenu.h"
#include "platform/tqkit/TQKitProcess.h"
#include "platform/tqkit/TQKitRemoteParams.h"

#include <QAction>
#include <QLoggingCategory>
#include <QMenu>
#include <QWidget>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

// What reaches the application, for whoever runs it with QT_LOGGING_RULES="sonvale.sources.info=true";
// quiet otherwise, as a terminal launch should be.
Q_LOGGING_CATEGORY(sonvaleSources, "sonvale.sources", QtWarningMsg)

namespace {

constexpr auto kLaunchRetryDelay = 100ms;
constexpr int kOnlineFeaturesVersion = 430;

bool forwardsToController(const QByteArray& action)
{
    return action == "paste:" || action == "delegateAction:" || action == "closeAllCustom:";
}

// Once the application parameters are known, every help and contact command counts as a usage
// event.
void TQAnalyticsOnRemoteConfig(void*) { TQMenuItemPerformerSetEventName("ae_cnv_page_appconf"); }

} // namespace

// Links and get-URL requests reach the application as launch arguments (see TQKitAppMain), so
// there is no event handler to register here.
TQCAppDelegate::TQCAppDelegate() { TQKitDelegateCreated(); }

TQCAppDelegate::~TQCAppDelegate() = default;

void TQCAppDelegate::setWindow(std::unique_ptr<QWidget> window) { window_ = std::move(window); }

void TQCAppDelegate::setMainWindowController(std::unique_ptr<TQCAppMainWindowController> controller)
{
    mainWindowController_ = std::move(controller);
}

void TQCAppDelegate::handleGetURLEvent(const QString& url)
{
    if (!url.isEmpty())
        applicationOpenFile(url);
}

bool TQCAppDelegate::applicationOpenFile(const QString& path)
{
    startConversionWithFiles({path});
    return true;
}

bool TQCAppDelegate::applicationOpenTempFile(const QString& path) { return applicationOpenFile(path); }

void TQCAppDelegate::applicationOpenFiles(const QStringList& files) { startConversionWithFiles(files); }

void TQCAppDelegate::startConversionWithFiles(const QStringList& files)
{
    if (!appInitialized_) {
        // Each early request retries on its own until the main window is ready.
        delayedCalls_.perform(kLaunchRetryDelay, [this, files] { startConversionWithFiles(files); });
        return;
    }
    qCInfo(sonvaleSources, "Sonvale: sources received: %s", qPrintable(files.join(u" | "_s)));
    mainWindowController_->startConversionWithFilesAccumulate(files);
}

void TQCAppDelegate::applicationDidFinishLaunching()
{
    mainWindowController_->setWindow(window_.get());
    mainWindowController_->windowDidLoad();
    appInitialized_ = true;
    TQKitRemoteParamsAddObserver(&TQAnalyticsOnRemoteConfig, nullptr);
    TQTelemetryStart();
}

bool TQCAppDelegate::applicationShouldHandleReopenHasVisibleWindows(bool)
{
    if (appInitialized_ && mainWindowController_)
        TQKitMainWindowShow(mainWindowController_->window());
    return true;
}

bool TQCAppDelegate::applicationShouldTerminateAfterLastWindowClosed()
{
    return mainWindowController_->appQuitInProgress();
}

int TQCAppDelegate::applicationShouldTerminate()
{
    if (mainWindowController_->appQuitInProgress())
        return 1;
    return mainWindowController_->closeAndRequestQuitApp(nullptr);
}

std::unique_ptr<QMenu> TQCAppDelegate::applicationDockMenu()
{
    auto menu = std::make_unique<QMenu>();
    if (mainWindowController_->closeAllCustomAccessible()) {
        TQKitMenuAddItem(menu.get(), TQKitMakeMenuItem(u"Close All"_s, "closeAllCustom:"));
        TQKitMenuAddSeparator(menu.get());
    }
    TQKitMenuAddItem(menu.get(), TQKitMakeMenuItem(u"Paste"_s, "paste:"));
    TQKitMenuSetResponder(
        menu.get(), [this](QAction* item) { return validateMenuItem(item); },
        [this](QAction* item) { performMenuAction(item); });
    return menu;
}

bool TQCAppDelegate::validateMenuItem(QAction* item)
{
    if (mainWindowController_->appQuitInProgress())
        return false;
    const QByteArray action = TQKitMenuItemAction(item);
    if (forwardsToController(action))
        return mainWindowController_->validateMenuItem(item);
    if (action == "checkForUpdates:") {
        item->setVisible(TQKitRemoteParamReadInt("TQCAppVersion", 0) == kOnlineFeaturesVersion &&
                         TQKitNewVersionAvailable());
    }
    return true;
}

void TQCAppDelegate::performMenuAction(QAction* item)
{
    const QByteArray action = TQKitMenuItemAction(item);
    if (action == "paste:")
        paste(item);
    else if (action == "delegateAction:")
        delegateAction(item);
    else if (action == "closeAllCustom:")
        closeAllCustom(item);
    else if (action == "checkForUpdates:")
        checkForUpdates(item);
}

void TQCAppDelegate::checkForUpdates(QObject*) { TQUpdateCheckRunManual(mainWindowController_->window()); }

void TQCAppDelegate::paste(QObject* sender) { mainWindowController_->paste(sender); }

void TQCAppDelegate::delegateAction(QObject* sender) { mainWindowController_->delegateAction(sender); }

void TQCAppDelegate::closeAllCustom(QObject* sender) { mainWindowController_->closeAllCustom(sender); }
