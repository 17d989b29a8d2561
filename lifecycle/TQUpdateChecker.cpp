#include "lifecycle/TQUpdateChecker.h"

#include "lifecycle/TQNetworkWait.h"
#include "platform/tqkit-ui/TQKitAlerts.h"
#include "platform/tqkit-ui/TQKitApplicationFacts.h"
#include "platform/tqkit-ui/TQKitProgressBox.h"
#include "platform/tqkit-ui/TQKitReachability.h"
#include "platform/tqkit-ui/TQKitWindowServices.h"
#include "platform/tqkit-ui/TQKitWorkspace.h"
#include "platform/tqkit/TQKitRemoteParams.h"
#include "platform/tqkit/TQKitThread.h"
#include "platform/tqkit/TQKitUpdateInfo.h"
#include "platform/tqkit/TQKitWebRequest.h"

#include <QCoreApplication>
#include <QTimer>
#include <QWidget>

#include <mutex>
#include <thread>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

constexpr int kAttempts = 3;
constexpr int kFetchTimeoutMs = 30000;
constexpr auto kRetryDelay = 10s;
constexpr auto kRetryStep = 300ms;
constexpr auto kManualPoll = 300ms;
constexpr int kManualPolls = 100; // 30 s

QString fromBytes(const std::string& bytes)
{
    const QString text = QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    return text.isEmpty() ? QString::fromLatin1(bytes.c_str()) : text;
}

bool callShouldStop(void* context) { return (*static_cast<const TQUpdateCheckServices::ShouldStop*>(context))(); }

void openProductPageOnConfirm(int answer)
{
    if (answer != kTQKitQuestionConfirmed)
        return;
    TQKitOpenURL(TQKitProductPageURL());
    TQKitNoteProductPageOpened();
}

} // namespace

class TQUpdateChecker::FetchThread final : public TQKitThread {
public:
    explicit FetchThread(TQUpdateChecker& checker) : checker_(checker) {}
    ~FetchThread() override
    {
        RequestStop();
        Join();
    }

protected:
    void Run() override
    {
        checker_.runFetch([this] { return StopRequested(); });
    }

private:
    TQUpdateChecker& checker_;
};

TQUpdateChecker::TQUpdateChecker(TQUpdateCheckServices services)
    : services_(std::move(services)), fetchThread_(std::make_unique<FetchThread>(*this))
{
}

TQUpdateChecker::~TQUpdateChecker() { shutdown(); }

TQUpdateChecker& TQUpdateChecker::shared()
{
    // Never destroyed: its window must go before the application object, which shutdown() sees to
    // when the application quits.
    static TQUpdateChecker* checker = [] {
        auto* created = new TQUpdateChecker({
            .isReachable = [] { return TQKitIsNetworkReachable(); },
            .fetch = [](TQKitHttpRequestRecord& request) { return TQKitHttpFetch(&request); },
            .sleep =
                [](std::chrono::milliseconds duration, const TQUpdateCheckServices::ShouldStop& shouldStop) {
                    const auto until = std::chrono::steady_clock::now() + duration;
                    while (!shouldStop() && std::chrono::steady_clock::now() < until)
                        std::this_thread::sleep_for(std::min<std::chrono::milliseconds>(duration, 50ms));
                },
            .toMainThread =
                [](std::function<void()> call) {
                    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(call), Qt::QueuedConnection);
                },
            .after =
                [](std::chrono::milliseconds delay, std::function<void()> call) {
                    QTimer::singleShot(delay, QCoreApplication::instance(), std::move(call));
                },
            .configLoaded = [] { return TQKitRemoteParamsLoaded(); },
            .whenConfigLoaded =
                [](std::function<void()> observer) {
                    TQKitRemoteParamsAddObserver(
                        [](void* context) {
                            const std::unique_ptr<std::function<void()>> held(static_cast<std::function<void()>*>(context));
                            (*held)();
                        },
                        new std::function<void()>(std::move(observer)));
                },
            .startsFetchThread = true,
            .window = {},
        });
        if (QCoreApplication* app = QCoreApplication::instance())
            QObject::connect(app, &QCoreApplication::aboutToQuit, app, [created] { created->shutdown(); });
        return created;
    }();
    return *checker;
}

void TQUpdateChecker::shutdown()
{
    fetchThread_->RequestStop();
    fetchThread_->Join();
    std::unique_ptr<TQNewVersionWindowController> controller;
    {
        std::lock_guard lock(mutex_);
        controller.swap(controller_);
    }
}

bool TQUpdateChecker::startOnce()
{
    {
        std::lock_guard lock(mutex_);
        if (state_ != 0)
            return false;
        state_ = 1;
    }
    services_.whenConfigLoaded([this] { onRemoteConfig(); });
    return true;
}

bool TQUpdateChecker::startInBackground() { return startOnce() || isRunning(); }

void TQUpdateChecker::onRemoteConfig()
{
    std::lock_guard lock(mutex_);
    if (state_ != 1)
        return;
    if (!TQKitNewVersionAvailable()) {
        state_ = 3;
        return;
    }
    notesAddress_ = TQKitUpdateTextURL();
    if (notesAddress_.empty()) {
        state_ = 3;
        return;
    }
    state_ = 2;
    if (services_.startsFetchThread)
        fetchThread_->Start();
}

bool TQUpdateChecker::waitForNetwork(const TQUpdateCheckServices::ShouldStop& shouldStop)
{
    return TQWaitForNetwork(
        services_.isReachable, [&](std::chrono::milliseconds duration) { services_.sleep(duration, shouldStop); },
        shouldStop);
}

void TQUpdateChecker::runFetch(const TQUpdateCheckServices::ShouldStop& shouldStop)
{
    std::string address;
    {
        std::lock_guard lock(mutex_);
        address = notesAddress_;
    }
    if (address.empty())
        return;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (shouldStop() || !waitForNetwork(shouldStop))
            return;
        TQKitHttpRequestRecord request;
        request.url = address;
        request.timeoutMs = kFetchTimeoutMs;
        request.shouldStop = &callShouldStop;
        request.context = const_cast<TQUpdateCheckServices::ShouldStop*>(&shouldStop);
        if (services_.fetch(request)) {
            if (shouldStop())
                return;
            {
                std::lock_guard lock(mutex_);
                notes_ = std::move(request.body);
                state_ = 3;
            }
            services_.toMainThread([this] { offerNewVersion(nullptr); });
            return;
        }
        for (auto waited = 0ms; waited < kRetryDelay; waited += kRetryStep) {
            if (shouldStop())
                return;
            services_.sleep(std::min(kRetryStep, kRetryDelay - waited), shouldStop);
        }
    }
    // The release notes could not be fetched: the check ends without them (it would otherwise
    // count as running for the rest of the run and hold the rating prompt and the manual check
    // back), and the offer falls back to the question that leads to the product page.
    {
        std::lock_guard lock(mutex_);
        state_ = 3;
    }
    services_.toMainThread([this] { offerNewVersion(nullptr); });
}

bool TQUpdateChecker::offerNewVersion(QWidget* window)
{
    if (startOnce() || isRunning())
        return false;
    if (offerWindowUnlessSkipped(window))
        return true;
    return askDownloadNewVersion(window, true);
}

bool TQUpdateChecker::offerWindowUnlessSkipped(QWidget* window)
{
    std::lock_guard lock(mutex_);
    if (offered_)
        return false;
    if (TQNewVersionWindowController::skipButtonCount() != 0 &&
        !TQNewVersionWindowController::skipButtonIsTimeToShowAgain()) {
        offered_ = true;
        return true;
    }
    offered_ = showNewVersionWindowLocked(window);
    return offered_;
}

bool TQUpdateChecker::showNewVersionWindow(QWidget* window)
{
    std::lock_guard lock(mutex_);
    return showNewVersionWindowLocked(window);
}

bool TQUpdateChecker::showNewVersionWindowLocked(QWidget* window)
{
    if (controller_) {
        if (!controller_->showInProgress())
            controller_->showWindow();
        return true;
    }
    if (state_ != 3)
        return false;
    const QString notes = fromBytes(std::string(notes_.begin(), notes_.end()));
    if (notes.isEmpty())
        return false;
    const QUrl url(fromBytes(notesAddress_));
    if (!url.isValid() || url.isEmpty())
        return false;
    controller_ = TQNewVersionWindowController::controllerWithHTMLTextUrlParentWindow(notes, url, window,
                                                                                      services_.window);
    if (controller_)
        offered_ = true;
    return controller_ != nullptr;
}

bool TQUpdateChecker::askDownloadNewVersion(QWidget* window, bool markOffered)
{
    {
        std::lock_guard lock(mutex_);
        if (markOffered) {
            if (offered_)
                return false;
            offered_ = true;
        }
    }
    // Asked outside the lock: the answer may come at once (modal) and open the product page.
    TQKitAskQuestion(window, u"New Version"_s,
                     u"A new version of 'Sonvale' is available.\nWould you like to download it?"_s, 0,
                     [](int answer, bool) { openProductPageOnConfirm(answer); });
    return true;
}

void TQUpdateChecker::showUpToDate(QWidget* window)
{
    if (TQKitNewVersionAvailable())
        return;
    TQKitShowNoticeBox(window, u"You are up to date!"_s,
                       u"%1 %2 (%3) is currently the newest version available."_s.arg(
                           TQKitApplicationName(), QString::fromStdString(TQKitApplicationVersion()))
                           .arg(TQKitApplicationBuildNumber()));
}

void TQUpdateChecker::runManual(QWidget* window)
{
    startOnce();
    if (!services_.isReachable()) {
        TQKitShowNoticeBox(window, u"Your computer is currently offline."_s, QString());
        return;
    }
    if (services_.configLoaded() && !TQKitNewVersionAvailable()) {
        showUpToDate(window);
        return;
    }
    if (windowController() && !windowIsBusy()) {
        showNewVersionWindow(window);
        return;
    }
    TQKitProgressBox* box = TQKitProgressBoxCreate();
    if (!box)
        return;
    TQKitProgressBoxSetIndeterminate(box, 1);
    TQKitProgressBoxSetCancellable(box, 1);
    TQKitProgressBoxSetTitle(box, "Checking for updates...");
    TQKitProgressBoxShow(box, window);
    manualWaitForCheck(window, box, kManualPolls);
}

void TQUpdateChecker::manualWaitForCheck(QPointer<QWidget> window, TQKitProgressBox* box, int pollsLeft)
{
    if (TQKitProgressBoxIsCancelled(box)) {
        TQKitProgressBoxClose(box);
        return;
    }
    if (isRunning() && pollsLeft > 0) {
        services_.after(kManualPoll, [this, window, box, pollsLeft] { manualWaitForCheck(window, box, pollsLeft - 1); });
        return;
    }
    manualDecide(window, box);
}

void TQUpdateChecker::manualDecide(QPointer<QWidget> window, TQKitProgressBox* box)
{
    if (!TQKitNewVersionAvailable()) {
        TQKitProgressBoxClose(box);
        showUpToDate(window);
        return;
    }
    if (!windowIsBusy())
        showNewVersionWindow(window);
    manualWaitForWindow(window, box);
}

void TQUpdateChecker::manualWaitForWindow(QPointer<QWidget> window, TQKitProgressBox* box)
{
    if (TQKitProgressBoxIsCancelled(box)) {
        TQKitProgressBoxClose(box);
        return;
    }
    if (windowIsBusy()) {
        services_.after(kManualPoll, [this, window, box] { manualWaitForWindow(window, box); });
        return;
    }
    TQKitProgressBoxClose(box);
    if (!windowController() && window)
        askDownloadNewVersion(window, false);
}

bool TQUpdateChecker::isBusy() const { return isRunning() || windowIsBusy(); }

bool TQUpdateChecker::windowIsOpen() const { return windowIsShown(); }

bool TQUpdateChecker::isRunning() const
{
    std::lock_guard lock(mutex_);
    return state_ == 1 || state_ == 2;
}

bool TQUpdateChecker::windowIsBusy() const
{
    std::lock_guard lock(mutex_);
    return controller_ && controller_->showInProgress();
}

bool TQUpdateChecker::windowIsShown() const
{
    std::lock_guard lock(mutex_);
    return controller_ && TQKitWindowIsShown(controller_->window());
}

int TQUpdateChecker::state() const
{
    std::lock_guard lock(mutex_);
    return state_;
}

bool TQUpdateChecker::offered() const
{
    std::lock_guard lock(mutex_);
    return offered_;
}

TQNewVersionWindowController* TQUpdateChecker::windowController() const
{
    std::lock_guard lock(mutex_);
    return controller_.get();
}
