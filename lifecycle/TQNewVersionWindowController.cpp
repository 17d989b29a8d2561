#include "lifecycle/TQNewVersionWindowController.h"

#include "platform/tqkit-ui/TQKitAlerts.h"
#include "platform/tqkit-ui/TQKitAppMain.h"
#include "platform/tqkit-ui/TQKitApplicationFacts.h"
#include "platform/tqkit-ui/TQKitProgressBox.h"
#include "platform/tqkit-ui/TQKitReachability.h"
#include "platform/tqkit-ui/TQKitWindowServices.h"
#include "platform/tqkit-ui/TQKitWorkspace.h"
#include "platform/tqkit/TQKitPaths.h"
#include "platform/tqkit/TQKitRemoteParams.h"
#include "platform/tqkit/TQKitSettings.h"
#include "platform/tqkit/TQKitUpdateInfo.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <QTextBrowser>
#include <QTimer>

#include <ctime>

using namespace Qt::StringLiterals;

namespace {

constexpr int kDefaultWidth = 640;
constexpr int kDefaultHeight = 480;
constexpr int kIconSize = 64;
constexpr int64_t kSkipReshowDelay = 259200; // three days
constexpr int64_t kSmallestOwnSkipDelay = 11;
constexpr int kDownloadTimeoutMs = 300000;
constexpr auto kTerminateDelay = std::chrono::milliseconds(300);

QString fromUtf8(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

std::string skipCountKey() { return "TQNewVersionWindowSkipButtonCount_" + std::to_string(TQKitUpdateBuildNumber()); }
std::string skipStampKey() { return "TQNewVersionWindowSkipButtonTimeStamp_" + std::to_string(TQKitUpdateBuildNumber()); }

// A heading or message of the configuration: "\n" written as two characters means a line feed.
QString windowText(const std::string& text) { return fromUtf8(text).replace(u"\\n"_s, u"\n"_s); }

// The file name a download is saved under: the name the server suggests, else the last name of
// the address, reduced to a plain name (no folders, nothing hidden).
QString suggestedFileName(QNetworkReply* reply)
{
    QString name;
    const QString disposition = QString::fromUtf8(reply->rawHeader("Content-Disposition"));
    const QRegularExpressionMatch match =
        QRegularExpression(u"filename\\s*=\\s*\"?([^\";]+)\"?"_s).match(disposition);
    if (match.hasMatch())
        name = match.captured(1).trimmed();
    if (name.isEmpty())
        name = reply->url().fileName();
    name = name.section(u'/', -1).section(u'\\', -1).trimmed();
    while (name.startsWith(u'.'))
        name.remove(0, 1);
    return name;
}

} // namespace

// The window itself: it lays its controls out at every resize and asks its controller before it
// closes.
class TQNewVersionWindowController::Window final : public QWidget {
public:
    explicit Window(TQNewVersionWindowController& controller) : controller_(controller) {}

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QWidget::resizeEvent(event);
        controller_.layoutControls();
    }
    void closeEvent(QCloseEvent* event) override
    {
        if (controller_.windowShouldClose())
            event->accept();
        else
            event->ignore();
    }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == controller_.appIcon_ && event->type() == QEvent::MouseButtonRelease && iconAction_) {
            iconAction_();
            return true;
        }
        return QWidget::eventFilter(watched, event);
    }

public:
    std::function<void()> iconAction_;

private:
    TQNewVersionWindowController& controller_;
};

std::unique_ptr<TQNewVersionWindowController> TQNewVersionWindowController::controllerWithHTMLTextUrlParentWindow(
    const QString& htmlText, const QUrl& url, QWidget* parentWindow, TQNewVersionWindowServices services)
{
    return std::make_unique<TQNewVersionWindowController>(htmlText, url, parentWindow, std::move(services));
}

TQNewVersionWindowController::TQNewVersionWindowController(const QString& htmlText, const QUrl& url,
                                                           QWidget* parentWindow,
                                                           TQNewVersionWindowServices services)
    : htmlText_(htmlText), url_(url), parentWindow_(parentWindow), services_(std::move(services))
{
    if (!services_.terminate)
        services_.terminate = [] { TQKitAppRequestTerminate(); };

    selfWindow_ = std::make_unique<Window>(*this);
    QWidget* window = selfWindow_.get();
    window->setObjectName(u"newVersionWindow"_s);
    window->setWindowTitle(u"Sonvale"_s);
    window->resize(kDefaultWidth, kDefaultHeight);
    window->setMinimumSize(420, 300);

    webView_ = new QTextBrowser(window);
    webView_->setObjectName(u"webView"_s);
    webView_->setOpenLinks(false);
    textTitle_ = new QLabel(window);
    textTitle_->setObjectName(u"textTitle"_s);
    textTitle_->setWordWrap(true);
    textTitle_->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    QFont heading = textTitle_->font();
    heading.setBold(true);
    heading.setPointSizeF(heading.pointSizeF() * 1.25);
    textTitle_->setFont(heading);
    textMessage_ = new QLabel(window);
    textMessage_->setObjectName(u"textMessage"_s);
    textMessage_->setWordWrap(true);
    textMessage_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    appIcon_ = new QLabel(window);
    appIcon_->setObjectName(u"appIcon"_s);
    appIcon_->installEventFilter(window);
    skipButton_ = new QPushButton(u"Skip This Version"_s, window);
    skipButton_->setObjectName(u"skipButton"_s);
    remindButton_ = new QPushButton(u"Remind Me Later"_s, window);
    remindButton_->setObjectName(u"remindButton"_s);
    installButton_ = new QPushButton(u"Install Update"_s, window);
    installButton_->setObjectName(u"installButton"_s);
    for (QPushButton* button : {skipButton_, remindButton_, installButton_})
        button->adjustSize();

    QObject::connect(skipButton_, &QPushButton::clicked, window, [this] { skipButton(); });
    QObject::connect(remindButton_, &QPushButton::clicked, window, [this] { remindButton(); });
    QObject::connect(installButton_, &QPushButton::clicked, window, [this] { installButton(); });
    QObject::connect(webView_, &QTextBrowser::anchorClicked, window, [this](const QUrl& link) { linkActivated(link); });

    TQKitUpdateWindowSetup(window);
    windowDidLoad();
}

TQNewVersionWindowController::~TQNewVersionWindowController()
{
    downloadTaskClear();
    selfWindow_.reset();
}

QWidget* TQNewVersionWindowController::window() const { return selfWindow_.get(); }

void TQNewVersionWindowController::windowDidLoad()
{
    webView_->document()->setBaseUrl(url_);
    webView_->setHtml(htmlText_);
    // The text browser lays the page out at once; the window appears from the event loop, once the
    // caller has kept the controller, as it would after a page load.
    QTimer::singleShot(0, selfWindow_.get(), [this] { pageDidFinishLoading(); });
}

void TQNewVersionWindowController::pageDidFinishLoading()
{
    if (initCompleted_)
        return;
    applyWindowAttributes();
    layoutControls();
    showWindow();
    webView_->setFocus();
    initCompleted_ = true;
}

void TQNewVersionWindowController::showWindow()
{
    QWidget* window = selfWindow_.get();
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

void TQNewVersionWindowController::linkActivated(const QUrl& link)
{
    const QString address = link.toString();
    const bool inPage = address.contains(u'#') && !address.contains(u"://"_s);
    if (inPage || link.scheme().isEmpty()) {
        webView_->scrollToAnchor(link.fragment());
        return;
    }
    // A text browser cannot show web pages itself, so every other link opens in the browser.
    TQKitOpenURL(address);
}

bool TQNewVersionWindowController::windowShouldClose()
{
    installButtonTimerInvalidate();
    downloadTaskCancelDownloading();
    return true;
}

// --- Looks ---------------------------------------------------------------------------------------

void TQNewVersionWindowController::applyWindowAttributes()
{
    const TQKitUpdateWindowInfo info = TQKitUpdateWindowInfoRead();
    QWidget* window = selfWindow_.get();
    window->setWindowTitle(!info.title.empty() ? fromUtf8(info.title)
                                               : (webView_->documentTitle().isEmpty() ? u"Sonvale"_s
                                                                                      : webView_->documentTitle()));
    if (info.width > 0 && info.height > 0)
        window->resize(info.width, info.height);
    if (info.background[0] != 0 || info.background[1] != 0 || info.background[2] != 0)
        TQKitViewSetBackground(window, info.background[0], info.background[1], info.background[2]);
    if (info.stayInFront)
        TQKitWindowSetStayInFront(window, true);
    if (info.notClosable)
        window->setWindowFlag(Qt::WindowCloseButtonHint, false);
    if (info.notMiniaturizable)
        window->setWindowFlag(Qt::WindowMinimizeButtonHint, false);

    auto applyButton = [](QPushButton* button, const std::string& text, int width) {
        if (text.size() == 1) {
            button->hide();
            return;
        }
        if (!text.empty())
            button->setText(fromUtf8(text));
        button->adjustSize();
        if (width > 0)
            button->resize(width, button->height());
    };
    applyButton(skipButton_, info.skipText, info.skipWidth);
    applyButton(remindButton_, info.remindText, info.remindWidth);
    applyButton(installButton_, info.installText, info.installWidth);
    installButton_->setDefault(true);
    installButton_->setAutoDefault(true);

    const QString heading = windowText(TQKitUpdateTitleText());
    const QString message = windowText(TQKitUpdateMessageText());
    textTitle_->setText(heading);
    textTitle_->setVisible(heading.size() >= 2);
    textMessage_->setText(message);
    textMessage_->setVisible(message.size() >= 2);

    appIcon_->setPixmap(TQKitApplicationIcon().pixmap(kIconSize, kIconSize));
    const bool iconShown = !info.hideIcon && (textTitle_->isVisibleTo(window) || textMessage_->isVisibleTo(window));
    appIcon_->setVisible(iconShown);
    if (iconShown && !TQKitUpdatePageURL().empty()) {
        appIcon_->setCursor(Qt::PointingHandCursor);
        selfWindow_->iconAction_ = info.iconClickInstalls ? std::function<void()>([this] { installButton(); })
                                                          : std::function<void()>([this] { openNewVersionURLPage(); });
    }
    if (info.countdown > 0)
        installButtonTimerStart(info.countdown);
}

void TQNewVersionWindowController::layoutControls()
{
    QWidget* window = selfWindow_.get();
    const int width = window->width();
    const int height = window->height();
    const TQKitUpdateWindowInfo info = TQKitUpdateWindowInfoRead();

    // Buttons along the bottom, centred on a line 30 points above it.
    const int buttonTop = height - 30 - skipButton_->height() / 2;
    skipButton_->move(10, buttonTop);
    installButton_->move(width - 10 - installButton_->width(), buttonTop);
    remindButton_->move(installButton_->x() - 10 - remindButton_->width(), buttonTop);

    const bool iconShown = appIcon_->isVisibleTo(window);
    const int iconSize = iconShown ? kIconSize : 0;
    const int textLeft = iconShown ? iconSize + 20 : 10;
    const int textWidth = width - textLeft - 10;
    const bool titleShown = textTitle_->isVisibleTo(window);
    const bool messageShown = textMessage_->isVisibleTo(window);

    auto band = [](int measured, int cap) { return measured < 22 ? 25 : (measured < cap ? measured + 4 : cap + 4); };
    int titleHeight = titleShown ? std::max(band(TQKitTextHeight(textTitle_->text(), textTitle_->font(), textWidth), 84),
                                            info.minTitleHeight)
                                 : 0;
    int messageHeight =
        messageShown ? std::max(band(TQKitTextHeight(textMessage_->text(), textMessage_->font(), textWidth), 130),
                                info.minMessageHeight)
                     : 0;
    int textBand = 0;
    if (titleShown || messageShown)
        textBand = titleHeight + messageHeight + 10;
    if (iconShown && textBand < iconSize + 20) {
        const int grow = iconSize + 20 - textBand;
        if (messageShown)
            messageHeight += grow;
        else if (titleShown)
            titleHeight += grow;
        textBand = iconSize + 20;
    }

    webView_->setGeometry(0, textBand, width, std::max(0, height - textBand - 60));
    if (iconShown)
        appIcon_->setGeometry(15, textBand / 2 - iconSize / 2, iconSize, iconSize);
    if (messageShown)
        textMessage_->setGeometry(textLeft, textBand - messageHeight, textWidth, messageHeight);
    if (titleShown)
        textTitle_->setGeometry(textLeft, textBand - messageHeight - titleHeight, textWidth, titleHeight);
}

// --- Skip memory ---------------------------------------------------------------------------------

int TQNewVersionWindowController::skipButtonCount()
{
    return TQKitSettingReadInt("TQSetting", skipCountKey().c_str(), 0);
}

void TQNewVersionWindowController::skipButtonCountInc()
{
    TQKitSettingWriteInt("TQSetting", skipCountKey().c_str(), skipButtonCount() + 1);
    TQKitSettingWriteInt64("TQSetting", skipStampKey().c_str(), static_cast<int64_t>(std::time(nullptr)));
}

bool TQNewVersionWindowController::skipButtonIsTimeToShowAgain()
{
    int64_t delay = kSkipReshowDelay;
    if (TQKitRemoteParamsLoaded()) {
        const TQKitUpdateWindowInfo info = TQKitUpdateWindowInfoRead();
        if (info.skipText.size() == 1)
            return true;
        if (info.value64 >= kSmallestOwnSkipDelay)
            delay = info.value64;
    }
    const int64_t stamp = TQKitSettingReadInt64("TQSetting", skipStampKey().c_str(), 0);
    return stamp + delay < static_cast<int64_t>(std::time(nullptr));
}

// --- Buttons -------------------------------------------------------------------------------------

void TQNewVersionWindowController::skipButton()
{
    skipButtonCountInc();
    selfWindow_->close();
}

void TQNewVersionWindowController::remindButton() { selfWindow_->close(); }

void TQNewVersionWindowController::installButton()
{
    if (TQKitUpdateWindowInfoRead().installWithoutAsking) {
        installButtonStart(kTQKitUpdateAnswerContinue);
        return;
    }
    const QString name = TQKitApplicationName();
    TQKitAskUpdateQuestion(selfWindow_.get(), u"Update %1"_s.arg(name),
                           u"Click Continue to quit %1 and complete the update."_s.arg(name),
                           [this](int answer) { installButtonStart(answer); });
}

void TQNewVersionWindowController::installButtonStart(int mode)
{
    if (mode == kTQKitUpdateAnswerCancel)
        return;
    TQKitWindowSetStayInFront(selfWindow_.get(), false);
    installButtonTimerInvalidate();
    const std::string link = TQKitUpdateDownloadURL();
    if (link.size() <= 2) {
        if (TQKitUpdatePageURL().size() > 2) {
            openNewVersionURLPage();
            if (mode == kTQKitUpdateAnswerContinue)
                applicationTerminateAlways();
        }
        return;
    }
    downloadTaskStart(fromUtf8(link));
    if (mode == kTQKitUpdateAnswerContinue)
        terminateAppAfterSuccessfulDownload_ = true;
}

void TQNewVersionWindowController::openNewVersionURLPage() { TQKitOpenURL(fromUtf8(TQKitUpdatePageURL())); }

void TQNewVersionWindowController::applicationTerminateAlways()
{
    QTimer::singleShot(kTerminateDelay, QCoreApplication::instance(), services_.terminate);
}

// --- Countdown -----------------------------------------------------------------------------------

void TQNewVersionWindowController::installButtonTimerStart(int64_t seconds)
{
    if (seconds < 0 || timer_)
        return;
    timerStartTimeStamp_ = static_cast<int64_t>(std::time(nullptr));
    timerFinishTimeStamp_ = timerStartTimeStamp_ + seconds;
    timer_ = new QTimer(selfWindow_.get());
    timer_->setInterval(1000);
    QObject::connect(timer_, &QTimer::timeout, selfWindow_.get(), [this] { installButtonTimer(); });
    timer_->start();
    installButtonTimerUpdateTitleCounter(seconds);
}

void TQNewVersionWindowController::installButtonTimer()
{
    const int64_t now = static_cast<int64_t>(std::time(nullptr));
    if (now < timerFinishTimeStamp_) {
        installButtonTimerUpdateTitleCounter(timerFinishTimeStamp_ - now);
        return;
    }
    installButtonTimerInvalidate();
    installButtonStart(kTQKitUpdateAnswerContinue);
}

void TQNewVersionWindowController::installButtonTimerUpdateTitleCounter(int64_t secondsLeft)
{
    QString base = installButton_->text();
    if (const qsizetype open = base.indexOf(u" ("_s); open >= 0)
        base.truncate(open);
    installButton_->setText(secondsLeft > 0 ? u"%1 (%2)"_s.arg(base).arg(secondsLeft) : base);
}

void TQNewVersionWindowController::installButtonTimerInvalidate()
{
    if (timer_) {
        timer_->stop();
        timer_->deleteLater();
        timer_ = nullptr;
    }
    installButtonTimerUpdateTitleCounter(0);
    timerStartTimeStamp_ = 0;
    timerFinishTimeStamp_ = 0;
}

// --- Download ------------------------------------------------------------------------------------

bool TQNewVersionWindowController::downloadTaskIsActive() const { return downloadTask_ || session_ || pbref_; }

void TQNewVersionWindowController::downloadTaskStart(const QString& link)
{
    if (link.isEmpty())
        return;
    if (downloadTaskIsActive())
        downloadTaskClear();
    if (!TQKitIsNetworkReachable()) {
        downloadTaskClearAndShowErrorMessage(u"Your computer is currently offline."_s);
        return;
    }
    downloadTaskProgressBoxCreate();
    if (!pbref_)
        return;

    // The package is written as it arrives to a hidden file in the folder it will be placed in.
    downloadFile_ = std::make_unique<QTemporaryFile>(fromUtf8(TQKitPackageFolder()) + u"/.sonvale-update-XXXXXX"_s);
    if (!downloadFile_->open()) {
        downloadTaskClearAndShowErrorMessage(downloadFile_->errorString());
        return;
    }
    session_ = std::make_unique<QNetworkAccessManager>();
    QNetworkRequest request{QUrl(link)};
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setTransferTimeout(kDownloadTimeoutMs);
    downloadCancelled_ = false;
    downloadTask_ = session_->get(request);
    QNetworkReply* reply = downloadTask_;
    QObject::connect(reply, &QNetworkReply::readyRead, selfWindow_.get(), [this, reply] {
        if (downloadFile_)
            downloadFile_->write(reply->readAll());
    });
    QObject::connect(reply, &QNetworkReply::downloadProgress, selfWindow_.get(), [this](qint64 received, qint64 total) {
        if (pbref_ && total > 0)
            TQKitProgressBoxSetProgress(pbref_, static_cast<double>(received) / static_cast<double>(total));
    });
    QObject::connect(reply, &QNetworkReply::finished, selfWindow_.get(), [this, reply] { downloadTaskDidFinish(reply); });
}

void TQNewVersionWindowController::downloadTaskProgressBoxCreate()
{
    pbref_ = TQKitProgressBoxCreate();
    if (!pbref_)
        return;
    TQKitProgressBoxSetIndeterminate(pbref_, 1);
    TQKitProgressBoxSetBarMode(pbref_, 1);
    TQKitProgressBoxSetTitle(pbref_, "Downloading update...");
    if (TQKitUpdateWindowInfoRead().value64 < 1)
        TQKitProgressBoxSetCancelHandler(pbref_, [this] { downloadTaskCancelDownloading(); });
    else
        TQKitProgressBoxSetCancellable(pbref_, 0);
    TQKitProgressBoxShow(pbref_, selfWindow_.get());
}

void TQNewVersionWindowController::downloadTaskDidFinish(QNetworkReply* reply)
{
    reply->deleteLater();
    if (reply != downloadTask_)
        return;
    const bool terminate = terminateAppAfterSuccessfulDownload_;
    terminateAppAfterSuccessfulDownload_ = false;
    if (pbref_) {
        TQKitProgressBoxClose(pbref_);
        pbref_ = nullptr;
    }
    if (reply->error() == QNetworkReply::OperationCanceledError && downloadCancelled_) {
        downloadTaskClear();
        return;
    }
    if (reply->error() != QNetworkReply::NoError &&
        reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() == 0) {
        downloadTaskClearAndShowErrorMessage(reply->errorString());
        return;
    }
    // Only a successful answer is a package: an error page is never saved or opened.
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status < 200 || status > 299) {
        downloadTaskClearAndShowErrorMessage(u"HTTP response code: %1"_s.arg(status));
        return;
    }
    if (downloadFile_)
        downloadFile_->write(reply->readAll());
    QString name = suggestedFileName(reply);
    const QString contentType = reply->header(QNetworkRequest::ContentTypeHeader).toString();
    const bool isWebPage = fromUtf8(TQKitPathExtension(name.toStdString())).startsWith(u".htm"_s, Qt::CaseInsensitive) ||
                           contentType.startsWith(u"text/html"_s, Qt::CaseInsensitive);
    if (!downloadFile_ || !downloadFile_->flush() || !TQKitPathExists(downloadFile_->fileName().toUtf8().constData()) ||
        isWebPage) {
        downloadTaskClearAndShowErrorMessage({});
        return;
    }
    if (name.isEmpty())
        name = u"package.dmg"_s;

    const int build = TQKitUpdateBuildNumber();
    const std::string plainName = name.toStdString();
    auto destinationIn = [&](const std::string& folder) {
        if (plainName.find(std::to_string(build)) != std::string::npos)
            return TQKitPathJoin(folder, plainName, "");
        const TQKitPackageName package = TQKitPackageNameOf(plainName);
        return TQKitPathJoinFormat(folder, "%s-%i%s", package.stem.c_str(), build, package.extension.c_str());
    };
    const std::string downloaded = downloadFile_->fileName().toStdString();
    downloadFile_->close();
    auto placeIn = [&](const std::string& folder) -> std::string {
        const std::string destination = destinationIn(folder);
        const std::string candidate = TQKitPackagePathCandidate(destination);
        if (!candidate.empty() && TQKitFileMove(downloaded, candidate))
            return candidate;
        TQKitFileRemove(destination);
        return TQKitFileMove(downloaded, destination) ? destination : std::string();
    };
    std::string placed = placeIn(TQKitPackageFolder());
    if (placed.empty())
        placed = placeIn(TQKitApplicationSupportDirectory());
    if (placed.empty()) {
        downloadTaskClearAndShowErrorMessage(u"The package could not be saved."_s);
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(fromUtf8(placed)));
    downloadTaskClear();
    if (terminate)
        applicationTerminateAlways();
}

void TQNewVersionWindowController::downloadTaskCancelDownloading()
{
    if (!downloadTask_ || !downloadTask_->isRunning() || downloadCancelled_)
        return;
    downloadCancelled_ = true;
    downloadTask_->abort();
    terminateAppAfterSuccessfulDownload_ = false;
}

void TQNewVersionWindowController::downloadTaskClear()
{
    if (downloadTask_) {
        QNetworkReply* reply = downloadTask_;
        downloadTask_ = nullptr;
        reply->disconnect();
        reply->abort();
        reply->deleteLater();
    }
    session_.reset();
    downloadFile_.reset();
    if (pbref_) {
        TQKitProgressBoxClose(pbref_);
        pbref_ = nullptr;
    }
}

void TQNewVersionWindowController::downloadTaskClearAndShowErrorMessage(const QString& reason)
{
    if (pbref_) {
        TQKitProgressBoxClose(pbref_);
        pbref_ = nullptr;
    }
    const QString name = TQKitApplicationName();
    const QString hint = u"Please open the %1 page and install it manually."_s.arg(name);
    const QString message = reason.isEmpty() ? hint : u"%1\n\n%2"_s.arg(reason, hint);
    QVariantMap description{{u"title"_s, u"Could not download update"_s},
                            {u"message"_s, message},
                            {u"defaultButton"_s, u"Close"_s},
                            {u"flags"_s, 18}};
    if (!TQKitUpdatePageURL().empty())
        description.insert(u"alternateButton"_s, u"Open %1 Page..."_s.arg(name));
    TQKitRunAlert(selfWindow_.get(), description, [this](int button, bool) {
        if (button == kTQKitAlertAlternateButton)
            openNewVersionURLPage();
    });
    downloadTaskClear();
}
