#pragma once

// The new-version window: the release notes of a newer version (HTML in a text browser) with
// Skip, Remind and Install. Install downloads the update package, places it in the download
// folder, opens it with the desktop's handler and, when the user chose to continue, quits the
// application so that the package can replace it. Texts, sizes, colours and switches come from
// TQKitUpdateWindowInfoRead(); the skip memory lives in the text settings, keyed by the offered
// build number.
//
// Main thread only. The update check keeps the controller for the rest of the process once it
// exists; the window is shown only once its page has been laid out (showInProgress() until then).

#include <QPointer>
#include <QString>
#include <QUrl>

#include <cstdint>
#include <functional>
#include <memory>

class QLabel;
class QNetworkAccessManager;
class QNetworkReply;
class QPushButton;
class QTextBrowser;
class QTimer;
class QWidget;
class TQKitProgressBox;

struct TQNewVersionWindowServices {
    // Ends the application after the package was opened (the normal quit request by default).
    std::function<void()> terminate;
};

class TQNewVersionWindowController final {
public:
    // Null when the window cannot be made.
    static std::unique_ptr<TQNewVersionWindowController> controllerWithHTMLTextUrlParentWindow(
        const QString& htmlText, const QUrl& url, QWidget* parentWindow, TQNewVersionWindowServices services = {});
    TQNewVersionWindowController(const QString& htmlText, const QUrl& url, QWidget* parentWindow,
                                 TQNewVersionWindowServices services);
    ~TQNewVersionWindowController();
    TQNewVersionWindowController(const TQNewVersionWindowController&) = delete;
    TQNewVersionWindowController& operator=(const TQNewVersionWindowController&) = delete;

    // The skip memory of the offered build.
    static int skipButtonCount();
    static void skipButtonCountInc();
    static bool skipButtonIsTimeToShowAgain();

    bool showInProgress() const { return !initCompleted_; }
    QWidget* window() const;
    void showWindow();

    // The buttons' actions.
    void skipButton();
    void remindButton();
    void installButton();
    void openNewVersionURLPage();
    // mode 1: nothing; 2: install and quit afterwards; other: install.
    void installButtonStart(int mode);

    // For tests and the screenshot tool: the controls.
    QPushButton* skipButtonView() const { return skipButton_; }
    QPushButton* remindButtonView() const { return remindButton_; }
    QPushButton* installButtonView() const { return installButton_; }
    QTextBrowser* webView() const { return webView_; }
    QLabel* textTitle() const { return textTitle_; }
    QLabel* textMessage() const { return textMessage_; }
    QLabel* appIcon() const { return appIcon_; }
    bool downloadTaskIsActive() const;
    TQKitProgressBox* progressBox() const { return pbref_; }

private:
    void windowDidLoad();
    void pageDidFinishLoading();
    void linkActivated(const QUrl& link);
    bool windowShouldClose();
    void applyWindowAttributes();
    void layoutControls();

    void installButtonTimerStart(int64_t seconds);
    void installButtonTimer();
    void installButtonTimerUpdateTitleCounter(int64_t secondsLeft);
    void installButtonTimerInvalidate();

    void downloadTaskStart(const QString& link);
    void downloadTaskClear();
    void downloadTaskCancelDownloading();
    void downloadTaskProgressBoxCreate();
    void downloadTaskDidFinish(QNetworkReply* reply);
    void downloadTaskClearAndShowErrorMessage(const QString& reason);
    void applicationTerminateAlways();

    class Window;
    friend class Window;

    bool initCompleted_ = false;
    QString htmlText_;
    QUrl url_;
    QPointer<QWidget> parentWindow_;
    TQNewVersionWindowServices services_;
    std::unique_ptr<Window> selfWindow_;
    std::unique_ptr<QNetworkAccessManager> session_;
    QPointer<QNetworkReply> downloadTask_;
    std::unique_ptr<class QTemporaryFile> downloadFile_;
    bool downloadCancelled_ = false;
    TQKitProgressBox* pbref_ = nullptr;
    bool terminateAppAfterSuccessfulDownload_ = false;
    QTimer* timer_ = nullptr;
    int64_t timerStartTimeStamp_ = 0;
    int64_t timerFinishTimeStamp_ = 0;

    QTextBrowser* webView_ = nullptr;
    QPushButton* skipButton_ = nullptr;
    QPushButton* remindButton_ = nullptr;
    QPushButton* installButton_ = nullptr;
    QLabel* textTitle_ = nullptr;
    QLabel* textMessage_ = nullptr;
    QLabel* appIcon_ = nullptr;
};
