#pragma once

#include "platform/engine/TQKitConversionList.h"
#include "platform/tqkit-ui/TQKitDelayedCalls.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QVariantMap>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

class QAction;
class QMenu;
class QProgressBar;
class QPushButton;
class QToolButton;
class QWidget;
class TQCAppProgressWindowBackground;
class TQCAppProgressWindowCompletionActions;
class TQCAppProgressWindowDetailsList;
class TQCAppProgressWindowDelegate;
class TQCAppProgressWindowPrompts;
class TQCAppProgressWindowTableView;
class TQKitConverter;
struct TQKitTitleRecord;
class TQNSTextFieldLink;

// The window of one conversion batch: it starts the batch's worker, renders the progress the
// engine reports through the list callback (two status lines, a progress bar, the title and one
// table row per item), asks the questions before converting and shows the summary at the end.
//
// Threads: every method runs on the main thread, except that the status methods may be called
// from the engine's callback thread, where they queue themselves to the main thread. The engine
// calls the list callback only between its registration and invalidateConversionList(), which
// removes it and waits for calls already running; queued calls die with the controller.
//
// Lifetime: created by the main window controller, which keeps it until progressWindowDidClose.
// The controller holds one reference of the list until invalidateConversionList().
class TQCAppProgressWindowController final : public QObject {
    Q_OBJECT

public:
    // The wait before a window held back by too many running workers tries again.
    static constexpr std::chrono::milliseconds kRestartDelay{10000};

    // Takes over the one reference of `list`; `converter` stays the caller's.
    TQCAppProgressWindowController(TQKitConverter* converter, TQKitConversionList* list, const QStringList& srcPaths,
                                   const QVariantMap& tunesPasteboardDict, const QVariantMap& tunesTrackSearchDict,
                                   TQCAppProgressWindowDelegate* delegate);
    ~TQCAppProgressWindowController() override;

    // The window's first title, naming its batch: the first source's name, "… and N more" after it
    // when there are others. The engine may name it better once it knows the items.
    static QString batchTitle(const QStringList& sources);

    QWidget* window() const;
    QMenu* ctxmenu() const { return ctxmenu_; }
    TQKitConverter* converter() const { return converter_.load(); }
    TQKitConversionList* list() const { return list_.load(); }
    const QStringList& srcPaths() const { return srcPaths_; }
    const QVariantMap& tunesPasteboardDict() const { return tunesPasteboardDict_; }
    const QVariantMap& tunesTrackSearchDict() const { return tunesTrackSearchDict_; }
    TQCAppProgressWindowDelegate* delegate() const { return delegate_; }
    // The delegate becomes the drop panel's too, so that files dropped or pasted on the window
    // reach it as a new batch.
    void setDelegate(TQCAppProgressWindowDelegate* delegate);

    // Lets go of the list: removes the callback (waiting for running calls), releases the list
    // on the converter's side and drops the reference. The window then acts on nothing.
    void invalidateConversionList();
    // Closes the window: tells the delegate, detaches the list and cancels pending restarts.
    void close();
    // Every close request of the window: asks first (stop a running batch, or close a finished one).
    void closeWindowWithPrompt();
    // The Stop button: asks, then stops the list; a batch that never started closes its window.
    void stopButton();
    // The batch ended before converting anything (its worker stopped it): the window shows the
    // stopped summary and closes without a further question.
    void showStoppedBeforeStart();

    // Menu items of the window (its context menu and the application menus acting on it), told
    // apart by their action ("stayInFront:", "showPreferences:", "delegateAction:" ...).
    bool validateMenuItem(QAction* item) const;
    void performMenuItem(QAction* item);
    // Paste: the sources on the clipboard go to the delegate as a new batch; without any, a beep.
    void paste();
    // Stay in front: this window floats above others; the choice goes to every progress window
    // and to the stored setting that new windows take.
    bool isStayInFront() const;
    void setStayInFront(bool stayInFront);
    void stayInFront();
    static bool getStayInFrontSetting();
    static void setStayInFrontSetting(bool stayInFront);
    // Opens the preferences dialog for "Settings..." and the Preferences command.
    void setPreferencesPageOpener(std::function<void(const QString& page, const QString& subPage)> opener);

    // Starting the batch (main thread).
    void startConvertProcess(const QStringList& paths);
    void startConvertProcessImpl(const QStringList& paths, bool acceptListSettings);
    // True when too many workers run (or the engine is at capacity): the window then waits and
    // tries again after kRestartDelay.
    bool startConvertProcessImplRestartWithMessageIfConcurrentCountCritical(const QStringList& paths,
                                                                          bool acceptListSettings);
    void startConvertProcessImplCompletion();
    // A queued restart is pending.
    bool isWaitingForRestart() const { return delayedCalls_.pendingCount() > 0; }

    // Status lines and progress; callable from any thread (queued to the main thread).
    void setStatusTopWithString(const QString& text);
    void setStatusTopWithStringNoCheck(const QString& text);
    void setStatusBottomWithString(const QString& text);
    void renderCurrentStatusTop();
    void renderCurrentListProgress(double progress);
    void renderCurrentListStatus(int state);
    void setProgressIndicatorValue(double value);
    void setProgressIndicatorIndeterminateOn();
    void setProgressIndicatorIndeterminateOff();
    void updateTitle(const TQKitTitleRecord* record);
    QString outputDirectoryName() const;

    // Completion commands: the top line's link, the bottom line's link, the send-to-Music link,
    // their menu items and tips. Each acts on the results of the batch.
    void showSuccessfullyConvertedItemsInFinder();
    void showSuccessfullyConvertedItemsInLyrebookOrForceOpeningPage(bool force);
    void sendSuccessfullyConvertedItemsToiTunes();
    // The one-time tips that point to the links of a finished window (when online features are on).
    void showIntroductoryToolTips();
    bool introductoryToolTipAboutLyrebookShown() const;
    // The bottom line links to Lyrebook, so its tip may be offered.
    bool introductoryMessageAboutLyrebookEnabled() const { return introductoryMessageAboutLyrebookEnabled_; }
    TQCAppProgressWindowDetailsList& detailsList() const { return *detailsList_; }

    // Tag requests of the engine (callbacks 16 and 17), on its thread: the defaults are left to
    // the engine; a Music import replaces them with the library's. True when `tags` was replaced.
    bool conversionTagsGetDefault(TQKitTagList* tags);
    bool conversionTagsGetOverride(TQKitTagList* tags);
    bool conversionTagsGetTunes(TQKitTagList* tags);

    // The throttle of the download, size and connection texts: returns the count, then adds one.
    int suppressCounter() { return suppressCounter_++; }
    void resetSuppressCounter() { suppressCounter_ = 0; }

    TQCAppProgressWindowPrompts& prompts() const { return *prompts_; }

    // The window's parts.
    TQNSTextFieldLink* statusTop() const { return statusTop_; }
    TQNSTextFieldLink* statusBottom() const { return statusBottom_; }
    TQNSTextFieldLink* sendToiTunesLink() const { return sendToiTunesLink_; }
    QPushButton* stopButtonView() const { return stopButton_; }
    QProgressBar* progressIndicator() const { return progressIndicator_; }
    TQCAppProgressWindowTableView* tableView() const { return tableView_; }
    TQCAppProgressWindowBackground* srcFilesPanel() const { return srcFilesPanel_; }
    QToolButton* detailsButton() const { return detailsButton_; }

private:
    // Off the main thread, queues `call` to it and answers true.
    bool repostToMainThread(std::function<void()> call);
    void windowDidLoad();
    void showFinishedState();
    void enableFinishedStateOnStatusTop();
    void enableLyrebookLinkOnStatusBottom();
    void showSendToiTunesLink();
    void playFinishingSound();
    void runFinishingSteps(bool allSucceeded);

    std::unique_ptr<QWidget> window_;
    TQCAppProgressWindowBackground* srcFilesPanel_ = nullptr;
    QToolButton* menuButton_ = nullptr;
    QToolButton* detailsButton_ = nullptr;
    TQNSTextFieldLink* statusTop_ = nullptr;
    TQNSTextFieldLink* statusBottom_ = nullptr;
    TQNSTextFieldLink* sendToiTunesLink_ = nullptr;
    QPushButton* stopButton_ = nullptr;
    QProgressBar* progressIndicator_ = nullptr;
    TQCAppProgressWindowTableView* tableView_ = nullptr;
    QMenu* ctxmenu_ = nullptr;

    std::atomic<TQKitConverter*> converter_;
    std::atomic<TQKitConversionList*> list_;
    QStringList srcPaths_;
    QVariantMap tunesPasteboardDict_;
    QVariantMap tunesTrackSearchDict_;
    TQCAppProgressWindowDelegate* delegate_;
    std::shared_ptr<TQCAppProgressWindowPrompts> prompts_;
    std::function<void(const QString&, const QString&)> preferencesPageOpener_;
    std::unique_ptr<TQCAppProgressWindowCompletionActions> completionActions_;
    std::unique_ptr<TQCAppProgressWindowDetailsList> detailsList_;
    bool introductoryMessageAboutLyrebookEnabled_ = false;
    std::atomic<int> suppressCounter_{0};
    std::atomic<double> pendingListProgress_{0.0};
    std::atomic<bool> listProgressRenderQueued_{false};
    std::atomic<bool> analyticsPostedResult_{false};
    bool finishedStateShown_ = false;
    bool stoppedBeforeStart_ = false;
    bool closed_ = false;
    TQKitDelayedCalls delayedCalls_;
};

// The list callback of a progress window; `context` is its controller. Engine threads call it.
int TQProgressWindowListCallback(uint32_t type, void* data, void* context);
