#include "app/progress-window/TQCAppProgressWindowController.h"

#include "app/controls/TQCAppMenuTags.h"
#include "app/controls/TQNSTextFieldLink.h"
#include "app/controls/TQLyrebook.h"
#include "app/progress-window/TQCAppProgressWindowBackground.h"
#include "app/progress-window/TQCAppProgressWindowCompletionActions.h"
#include "app/progress-window/TQCAppProgressWindowConvertWorker.h"
#include "app/progress-window/TQCAppProgressWindowDelegate.h"
#include "app/progress-window/TQCAppProgressWindowDetailsList.h"
#include "app/progress-window/TQCAppProgressWindowIntroTips.h"
#include "app/progress-window/TQCAppProgressWindowPrompts.h"
#include "app/progress-window/TQCAppProgressWindowTableScrollView.h"
#include "app/progress-window/TQCAppProgressWindowTableView.h"
#include "app/progress-window/TQCAppProgressWindowTexts.h"
#include "app/progress-window/TQCAppProgressWindowTunesTags.h"
#include "lifecycle/TQAnalytics.h"
#include "lifecycle/TQConversionStatistics.h"
#include "lifecycle/TQRatingPrompt.h"
#include "platform/engine/TQKitConversionList.h"
#include "platform/engine/TQKitConversionListItem.h"
#include "platform/engine/TQKitConverter.h"
#include "platform/tqkit-ui/TQKitAlerts.h"
#include "platform/tqkit-ui/TQKitIntroToolTip.h"
#include "platform/tqkit-ui/TQKitMainThread.h"
#include "platform/tqkit-ui/TQKitMenu.h"
#include "platform/tqkit-ui/TQKitMusicApp.h"
#include "platform/tqkit-ui/TQKitSound.h"
#include "platform/tqkit-ui/TQKitWindowSheet.h"
#include "platform/tqkit/TQGeneralSettingsRecord.h"
#include "platform/tqkit/TQKitSettings.h"
#include "platform/tqkit/TQTagSettingsRecord.h"
#include "platform/tqkit/TQTaskInfoRecord.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

constexpr int kProgressScale = 1000; // the bar's steps per unit of progress
// The closed window shows the status lines only; the details list opens below them.
constexpr int kMinimumWidth = 480;
constexpr int kBelowStatusLines = 7; // too little for the list, which then hides
constexpr const char* kClosePromptKey = "TQCProgressWindowClosePrompt";
constexpr int64_t kClosePromptPeriod = 604800;

// Closing the close question for the rest of the process.
std::atomic<bool> closeQuestionSuppressed{false};

constexpr const char* kStayInFrontSection = "TQCSetting";
constexpr const char* kStayInFrontKey = "ProgressWindowStayInFront";

// The open progress windows (main thread), so stay-in-front reaches all of them.
QList<QPointer<TQCAppProgressWindowController>>& openWindows()
{
    static QList<QPointer<TQCAppProgressWindowController>> windows;
    return windows;
}

// What the window tells its controller.
struct ProgressWindowEvents {
    std::function<void()> closeRequested;
    std::function<void()> resized;
    std::function<void()> activated;
};

// The progress window: every close request (the title bar's button, Escape) goes through the
// controller's close prompt instead of closing; resizes and activation are passed on.
class ProgressWindow final : public QWidget {
public:
    explicit ProgressWindow(ProgressWindowEvents events) : events_(std::move(events)) {}

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QWidget::resizeEvent(event);
        if (events_.resized)
            events_.resized();
    }
    bool event(QEvent* event) override
    {
        const bool handled = QWidget::event(event);
        if (event->type() == QEvent::WindowActivate && events_.activated)
            events_.activated();
        return handled;
    }
    void closeEvent(QCloseEvent* event) override
    {
        event->ignore();
        events_.closeRequested();
    }
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->key() == Qt::Key_Escape) {
            events_.closeRequested();
            return;
        }
        QWidget::keyPressEvent(event);
    }

private:
    ProgressWindowEvents events_;
};

QString fileCountWord(long long count) { return count > 1 ? u"files"_s : u"file"_s; }

} // namespace

TQCAppProgressWindowController::TQCAppProgressWindowController(
    TQKitConverter* converter, TQKitConversionList* list, const QStringList& srcPaths,
    const QVariantMap& tunesPasteboardDict, const QVariantMap& tunesTrackSearchDict,
    TQCAppProgressWindowDelegate* delegate)
    : converter_(converter), list_(list), srcPaths_(srcPaths), tunesPasteboardDict_(tunesPasteboardDict),
      tunesTrackSearchDict_(tunesTrackSearchDict), delegate_(delegate),
      listProgressRender_(this, [this] { renderCurrentListProgress(pendingListProgress_.load()); }),
      statusTopRender_(this, [this] { renderCurrentStatusTop(); })
{
    ProgressWindowEvents events;
    events.closeRequested = [this] { closeWindowWithPrompt(); };
    events.resized = [this] {
        if (detailsList_)
            detailsList_->windowDidResize();
    };
    events.activated = [this] { showIntroductoryToolTips(); };
    window_ = std::make_unique<ProgressWindow>(std::move(events));
    prompts_ = std::make_shared<TQCAppProgressWindowPrompts>(window_.get());
    completionActions_ = std::make_unique<TQCAppProgressWindowCompletionActions>(window_.get());
    windowDidLoad();
    setDelegate(delegate);

    if (converter == nullptr) {
        // Nothing to convert with: the window stays empty and starts nothing.
        invalidateConversionList();
        return;
    }
    // The worker starts only after the current event-loop turn.
    TQKitPerformOnMainThread(this, [this] { startConvertProcess(srcPaths_); });
    window_->show();
    window_->raise();
    window_->activateWindow();
}

TQCAppProgressWindowController::~TQCAppProgressWindowController()
{
    openWindows().removeAll(this);
    invalidateConversionList();
    // The details list's deferred calls go before the window they size.
    detailsList_.reset();
}

QWidget* TQCAppProgressWindowController::window() const { return window_.get(); }

void TQCAppProgressWindowController::windowDidLoad()
{
    window_->setObjectName(u"progressWindow"_s);
    window_->setWindowTitle(batchTitle(srcPaths_));
    window_->setMinimumSize(kMinimumWidth, 100);
    auto* layout = new QVBoxLayout(window_.get());
    layout->setContentsMargins(0, 0, 0, 0);
    srcFilesPanel_ = new TQCAppProgressWindowBackground(window_.get());
    layout->addWidget(srcFilesPanel_);

    ctxmenu_ = new QMenu(window_.get());
    // Filled by the main window controller from its destination picker before it opens.
    auto* destination = new QMenu(u"Destination Folder"_s, ctxmenu_);
    ctxmenu_->addMenu(destination)->setProperty("tag", kTQMenuTagDestinationFolder);
    auto showInFinder = TQKitMakeMenuItem(u"Show in File Manager"_s, "delegateAction:");
    showInFinder->setProperty("tag", kTQMenuTagShowInFinder);
    TQKitMenuAddItem(ctxmenu_, std::move(showInFinder));
    TQKitMenuAddSeparator(ctxmenu_);
    TQKitMenuAddItem(ctxmenu_,
                     TQKitMakeMenuItem(u"Show Converted Files in File Manager"_s, "showSuccessfullyConvertedItemsInFinder:"));
    TQKitMenuAddItem(ctxmenu_, TQKitMakeMenuItem(u"Edit Tags in Lyrebook"_s, "exportToLyrebook:"));
    TQKitMenuAddItem(ctxmenu_, TQKitMakeMenuItem(TQKitMusicExportTitle(), "exportToiTunes:"));
    TQKitMenuAddSeparator(ctxmenu_);
    TQKitMenuAddItem(ctxmenu_, TQKitMakeMenuItem(u"Paste"_s, "paste:"));
    // The menu's items are validated only when it opens, so the shortcut calls paste() itself.
    connect(new QShortcut(QKeySequence::Paste, window_.get()), &QShortcut::activated, this, [this] { paste(); });
    auto floating = TQKitMakeMenuItem(u"Stay in Front"_s, "stayInFront:");
    floating->setCheckable(true);
    TQKitMenuAddItem(ctxmenu_, std::move(floating));
    TQKitMenuAddSeparator(ctxmenu_);
    TQKitMenuAddItem(ctxmenu_, TQKitMakeMenuItem(u"Settings..."_s, "showPreferences:"));
    TQKitMenuSetResponder(
        ctxmenu_, [this](QAction* item) { return validateMenuItem(item); },
        [this](QAction* item) { performMenuItem(item); });
    openWindows().append(this);

    menuButton_ = new QToolButton(srcFilesPanel_);
    menuButton_->setProperty("tag", TQCAppProgressWindowBackground::kTagMenuButton);
    menuButton_->setIcon(window_->style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    menuButton_->setIconSize(QSize(22, 22));
    menuButton_->setAutoRaise(true);
    menuButton_->setFixedSize(34, 34);
    menuButton_->setAccessibleName(u"Context Menu button"_s);
    menuButton_->setAccessibleDescription(u"Shows the context menu"_s);
    connect(menuButton_, &QToolButton::clicked, this,
            [this] { ctxmenu_->popup(menuButton_->mapToGlobal(QPoint(0, menuButton_->height() + 1))); });

    statusTop_ = new TQNSTextFieldLink({}, srcFilesPanel_);
    statusTop_->setProperty("tag", TQCAppProgressWindowBackground::kTagStatusTop);
    statusTop_->setFixedHeight(20);
    QFont topFont = statusTop_->font();
    topFont.setBold(true);
    statusTop_->setFont(topFont);

    stopButton_ = new QPushButton(u"Stop"_s, srcFilesPanel_);
    stopButton_->setProperty("tag", TQCAppProgressWindowBackground::kTagStopButton);
    stopButton_->setFixedSize(76, 28);
    stopButton_->setAccessibleName(u"Stop"_s);
    stopButton_->setAccessibleDescription(u"Stops the conversion process"_s);
    connect(stopButton_, &QPushButton::clicked, this, &TQCAppProgressWindowController::stopButton);

    progressIndicator_ = new QProgressBar(srcFilesPanel_);
    progressIndicator_->setTextVisible(false);
    progressIndicator_->setFixedHeight(16);
    progressIndicator_->setAccessibleName(u"Current Progress"_s);
    progressIndicator_->setAccessibleDescription(u"Shows the progress of conversion"_s);

    sendToiTunesLink_ = new TQNSTextFieldLink({}, srcFilesPanel_);
    sendToiTunesLink_->setProperty("tag", TQCAppProgressWindowBackground::kTagSendToMusicLink);
    sendToiTunesLink_->setText(TQKitMusicExportTitle());
    sendToiTunesLink_->adjustSize();
    sendToiTunesLink_->hide();
    connect(sendToiTunesLink_, &TQNSTextFieldLink::clicked, this, [this] { sendSuccessfullyConvertedItemsToiTunes(); });

    statusBottom_ = new TQNSTextFieldLink({}, srcFilesPanel_);
    statusBottom_->setProperty("tag", TQCAppProgressWindowBackground::kTagStatusBottom);
    statusBottom_->setFixedHeight(18);

    for (TQNSTextFieldLink* line : {statusTop_, statusBottom_}) {
        line->setHyperLinkEnabled(false); // until there are results to show
        line->setAccessibleName(u"Conversion Status"_s);
        line->setAccessibleDescription(u"Shows status of conversion"_s);
    }
    connect(statusTop_, &TQNSTextFieldLink::clicked, this, [this] { showSuccessfullyConvertedItemsInFinder(); });
    connect(statusBottom_, &TQNSTextFieldLink::clicked, this,
            [this] { showSuccessfullyConvertedItemsInLyrebookOrForceOpeningPage(true); });

    detailsButton_ = new QToolButton(srcFilesPanel_);
    detailsButton_->setObjectName(u"detailsButton"_s);
    detailsButton_->setProperty("tag", TQCAppProgressWindowBackground::kTagDetailsButton);
    detailsButton_->setAutoRaise(true);
    detailsButton_->setFixedSize(20, 18);
    detailsButton_->setAccessibleName(u"Details"_s);
    detailsButton_->setAccessibleDescription(u"Press this button to collapse or expand the window"_s);

    auto* tableFrame = new TQCAppProgressWindowTableScrollView(srcFilesPanel_);
    tableView_ = new TQCAppProgressWindowTableView;
    tableFrame->setWidget(tableView_);
    setStayInFront(getStayInFrontSetting());
    // Wide enough for a usual status line at the window's font: sizes and the minutes left.
    const QString usualStatus = u"%1 of %2 - %3"_s.arg(TQKitFormatByteSize(999'900'000), TQKitFormatByteSize(999'900'000),
                                                      TQKitFormatTimeRemaining(59 * 60));
    window_->setMinimumWidth(std::max(
        kMinimumWidth, srcFilesPanel_->widthForStatusLine(statusBottom_->fontMetrics().horizontalAdvance(usualStatus))));
    window_->setMinimumHeight(srcFilesPanel_->listTop() + kBelowStatusLines);
    detailsList_ = std::make_unique<TQCAppProgressWindowDetailsList>(window_.get(), tableView_, detailsButton_,
                                                                      [this] { showIntroductoryToolTips(); });
    detailsList_->init();

    statusTop_->setText(QString());
    statusBottom_->setText(QString());
    setProgressIndicatorIndeterminateOn();
}

// ---- End of life

void TQCAppProgressWindowController::setDelegate(TQCAppProgressWindowDelegate* delegate)
{
    delegate_ = delegate;
    srcFilesPanel_->setDelegate(delegate);
}

void TQCAppProgressWindowController::invalidateConversionList()
{
    setDelegate(nullptr);
    TQKitConversionList* list = list_.exchange(nullptr);
    TQKitConverter* converter = converter_.exchange(nullptr);
    if (list) {
        TQKitConversionListDetach(list);
        // Waits for callbacks running on engine threads; none comes after.
        TQKitConversionListSetCallback(list, nullptr, nullptr);
        if (tableView_)
            tableView_->setListHandle(nullptr);
        if (converter)
            TQKitConverterReleaseList(converter, list);
        TQKitConversionListRelease(list);
    }
    delayedCalls_.cancelAll();
}

void TQCAppProgressWindowController::close()
{
    if (closed_)
        return;
    closed_ = true;
    TQCAppProgressWindowDelegate* delegate = delegate_;
    if (TQKitConversionList* list = list_.load())
        TQKitConversionListDetach(list);
    delayedCalls_.cancelAll();
    setDelegate(nullptr);
    window_->hide();
    if (delegate)
        delegate->progressWindowDidClose(this);
}

void TQCAppProgressWindowController::closeWindowWithPrompt()
{
    const auto closingStep = [this] {
        if (TQKitConversionList* list = list_.load())
            TQKitConversionListStop(list);
        close();
    };
    TQKitConversionList* list = list_.load();
    if (stoppedBeforeStart_) {
        closingStep();
        return;
    }
    if (list && TQKitConversionListState(list) == TQKitConversionList::Finished) {
        if (TQKitConversionListSucceededCount(list) != 0 && TQRatingPromptIncrementSigEventAndRate(window_.get()))
            return;
        const int64_t stamp = TQKitSettingReadInt64(TQCAppProgressWindowPrompts::kConfirmationSection, kClosePromptKey, 0);
        if (closeQuestionSuppressed || prompts_->now() - stamp <= kClosePromptPeriod - 1) {
            closingStep();
            return;
        }
        TQKitAskQuestion(window_.get(), u"Close Progress Window"_s, u"Would you like to close the Progress Window?"_s, 1,
                         [this, closingStep](int result, bool suppressed) {
                             if (result != kTQKitQuestionConfirmed)
                                 return;
                             closeQuestionSuppressed = suppressed;
                             TQKitSettingWriteInt64(TQCAppProgressWindowPrompts::kConfirmationSection, kClosePromptKey,
                                                    suppressed ? prompts_->now() : 0);
                             closingStep();
                         });
        return;
    }
    TQKitAskQuestion(window_.get(), u"Stop conversion"_s,
                     u"Are you sure you want to stop the conversion and close the window?"_s, 16,
                     [closingStep](int result, bool) {
                         if (result == kTQKitQuestionConfirmed)
                             closingStep();
                     });
}

void TQCAppProgressWindowController::showStoppedBeforeStart()
{
    stoppedBeforeStart_ = true;
    showFinishedState();
}

void TQCAppProgressWindowController::stopButton()
{
    TQKitConversionList* list = list_.load();
    if (list && TQKitConversionListState(list) == TQKitConversionList::Finished)
        return;
    TQAnalyticsPostEvent("ae_cnv_prog_wnd_stop_btn");
    TQKitAskQuestion(window_.get(), u"Stop conversion"_s, u"Are you sure you want to stop the conversion?"_s, 16,
                     [this](int result, bool) {
                         TQKitConversionList* held = list_.load();
                         if (result != kTQKitQuestionConfirmed || !held)
                             return;
                         const int stateBefore = TQKitConversionListState(held);
                         TQKitConversionListStop(held);
                         if (stateBefore < TQKitConversionList::Converting)
                             close();
                     });
}

// ---- Menus

bool TQCAppProgressWindowController::validateMenuItem(QAction* item) const
{
    const QByteArray action = TQKitMenuItemAction(item);
    if (action == "stayInFront:")
        item->setChecked(isStayInFront());
    if (action == "showPreferences:")
        return true;
    if (TQKitWindowHasSheet(window_.get()))
        return false;
    if (action == "showSuccessfullyConvertedItemsInFinder:")
        return statusTop_->hyperLinkEnabled() && finishedStateShown_;
    if (action == "showInFinder:" || item->property("tag").toInt() == kTQMenuTagShowInFinder)
        return true;
    if (action == "exportToiTunes:")
        return !sendToiTunesLink_->isHidden() && sendToiTunesLink_->hyperLinkEnabled();
    if (action == "exportToLyrebook:")
        return statusBottom_->hyperLinkEnabled();
    if (action == "paste:")
        return TQDropPanelCanAccept(srcFilesPanel_, nullptr);
    return action != "undo:" && action != "redo:" && action != "selectAll:";
}

void TQCAppProgressWindowController::performMenuItem(QAction* item)
{
    const QByteArray action = TQKitMenuItemAction(item);
    if (action == "delegateAction:") {
        if (delegate_)
            delegate_->progressWindowMenuCommandId(this, item->property("tag").toInt());
    } else if (action == "paste:") {
        paste();
    } else if (action == "stayInFront:") {
        stayInFront();
    } else if (action == "showPreferences:") {
        if (preferencesPageOpener_)
            preferencesPageOpener_(QString(), QString());
    } else if (action == "showSuccessfullyConvertedItemsInFinder:" || action == "showInFinder:") {
        showSuccessfullyConvertedItemsInFinder();
    } else if (action == "exportToLyrebook:") {
        showSuccessfullyConvertedItemsInLyrebookOrForceOpeningPage(true);
    } else if (action == "exportToiTunes:") {
        sendSuccessfullyConvertedItemsToiTunes();
    }
}

void TQCAppProgressWindowController::paste()
{
    TQAnalyticsPostEvent("ae_cnv_prog_wnd_paste_src_files");
    const QStringList items = TQDropPanelParsePasteboard(srcFilesPanel_, nullptr, 0);
    if (!TQDropPanelFinishDrag(srcFilesPanel_, items, nullptr))
        QApplication::beep();
}

void TQCAppProgressWindowController::setPreferencesPageOpener(
    std::function<void(const QString& page, const QString& subPage)> opener)
{
    preferencesPageOpener_ = opener;
    prompts_->setPreferencesPageOpener(std::move(opener));
}

bool TQCAppProgressWindowController::isStayInFront() const
{
    return window_->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void TQCAppProgressWindowController::setStayInFront(bool stayInFront)
{
    if (isStayInFront() == stayInFront)
        return;
    const bool visible = window_->isVisible();
    window_->setWindowFlag(Qt::WindowStaysOnTopHint, stayInFront);
    if (visible)
        window_->show(); // changing the flags hides a window
}

void TQCAppProgressWindowController::stayInFront()
{
    const bool floating = !isStayInFront();
    for (const QPointer<TQCAppProgressWindowController>& controller : openWindows()) {
        if (controller)
            controller->setStayInFront(floating);
    }
    setStayInFrontSetting(floating);
}

bool TQCAppProgressWindowController::getStayInFrontSetting()
{
    return TQKitSettingReadInt(kStayInFrontSection, kStayInFrontKey, 0) != 0;
}

void TQCAppProgressWindowController::setStayInFrontSetting(bool stayInFront)
{
    TQKitSettingWriteText(kStayInFrontSection, kStayInFrontKey, stayInFront ? "1" : "0");
}

// ---- Starting the batch

void TQCAppProgressWindowController::startConvertProcess(const QStringList& paths)
{
    window_->raise();
    window_->activateWindow();
    startConvertProcessImpl(paths, true);
}

void TQCAppProgressWindowController::startConvertProcessImpl(const QStringList& paths, bool acceptListSettings)
{
    TQKitConversionList* list = list_.load();
    if (!list)
        return;
    TQKitConversionListSetCallback(list, TQProgressWindowListCallback, this);
    setStatusTopWithString(u"default"_s);
    setStatusBottomWithString(QString());
    setProgressIndicatorIndeterminateOn();
    if (!acceptListSettings) {
        TQTaskInfoRecord record;
        TQKitConversionListGetTaskInfo(list, &record);
        record.acceptNonMediaFiles = true;
        TQKitConversionListSetTaskInfo(list, &record);
    }
    if (startConvertProcessImplRestartWithMessageIfConcurrentCountCritical(paths, acceptListSettings))
        return;
    TQCAppProgressWindowConvertWorker::start(this, list, prompts_, paths, acceptListSettings);
}

bool TQCAppProgressWindowController::startConvertProcessImplRestartWithMessageIfConcurrentCountCritical(
    const QStringList& paths, bool acceptListSettings)
{
    TQKitConversionList* list = list_.load();
    if (!list)
        return true;
    if (!TQKitConversionCapacityCritical(list) &&
        TQCAppProgressWindowConvertWorker::runningCount() < TQCAppProgressWindowConvertWorker::kMaxRunningWorkers)
        return false;
    if (!TQKitConversionListIsStopped(list)) {
        setStatusBottomWithString(u"Waiting, too many windows opened..."_s);
        delayedCalls_.perform(kRestartDelay,
                              [this, paths, acceptListSettings] { startConvertProcessImpl(paths, acceptListSettings); });
    }
    return true;
}

void TQCAppProgressWindowController::startConvertProcessImplCompletion()
{
    TQKitConversionList* list = list_.load();
    TQKitConverter* converter = converter_.load();
    if (!list || TQKitConversionListIsStopped(list) || !converter)
        return;
    detailsList_->enable(list);
    resetSuppressCounter();
    TQKitConversionStart(converter, list);
}

void TQCAppProgressWindowController::reloadItems()
{
    if (repostToMainThread([this] { reloadItems(); }))
        return;
    if (TQKitConversionList* list = list_.load(); list && tableView_ && tableView_->hasListHandle())
        tableView_->setListHandle(list);
}

// ---- Status lines

bool TQCAppProgressWindowController::repostToMainThread(std::function<void()> call)
{
    if (TQKitIsMainThread())
        return false;
    TQKitPerformOnMainThread(this, std::move(call));
    return true;
}

void TQCAppProgressWindowController::setStatusTopWithString(const QString& text)
{
    if (repostToMainThread([this, text] { setStatusTopWithString(text); }))
        return;
    TQKitConversionList* list = list_.load();
    if (!list)
        return;
    const bool hasResults = TQKitConversionListHasResults(list);
    if (hasResults)
        statusTop_->setHyperLinkEnabled(true);
    setStatusTopWithStringNoCheck(text);
    if (hasResults)
        showIntroductoryToolTips();
}

void TQCAppProgressWindowController::setStatusTopWithStringNoCheck(const QString& text)
{
    if (repostToMainThread([this, text] { setStatusTopWithStringNoCheck(text); }))
        return;
    statusTop_->setText(text.compare(u"default"_s, Qt::CaseInsensitive) == 0 ? TQProductSearchingMessage() : text);
}

void TQCAppProgressWindowController::setStatusBottomWithString(const QString& text)
{
    if (repostToMainThread([this, text] { setStatusBottomWithString(text); }))
        return;
    statusBottom_->setText(text);
}

QString TQCAppProgressWindowController::outputDirectoryName() const
{
    TQKitConversionList* list = list_.load();
    QString name;
    if (list) {
        TQTaskInfoRecord record;
        TQKitConversionListGetTaskInfo(list, &record);
        std::string folder;
        if (record.asSourceFolder && TQKitConversionListOutputDirectory(list, folder))
            name = QDir(TQCAppTextFromKit(folder.c_str())).dirName();
        if (name.isEmpty())
            name = QDir(TQCAppTextFromKit(record.destinationFolder.c_str())).dirName();
    }
    return name.isEmpty() ? u"Destination Folder"_s : name;
}

void TQCAppProgressWindowController::renderCurrentStatusTop()
{
    // Every item's start asks for this render, and each counts the pending items: from the
    // engine's threads, one render queued at a time.
    if (!TQKitIsMainThread()) {
        statusTopRender_.request();
        return;
    }
    TQKitConversionList* list = list_.load();
    if (!list)
        return;
    long long n = static_cast<long long>(TQKitConversionListPendingCount(list) + TQKitConversionListExtraCount(list));
    n = std::max(n, 1LL);
    setStatusTopWithString(u"%1 %2 %3 to \"%4\""_s.arg(QLatin1StringView(TQProductVerbConverting))
                               .arg(n)
                               .arg(fileCountWord(n), outputDirectoryName()));
}

void TQCAppProgressWindowController::renderCurrentListProgress(double progress)
{
    if (!TQKitIsMainThread()) {
        // The engine reports progress far more often than a person can read it: keep one render
        // queued, with the latest value.
        pendingListProgress_ = progress;
        listProgressRender_.request();
        return;
    }
    TQKitConversionList* list = list_.load();
    if (!list || !converter_.load() || TQKitConversionListState(list) != TQKitConversionList::Converting)
        return;
    setProgressIndicatorValue(progress);
    const double remaining = TQKitConversionListSecondsRemaining(list);
    const QString time = remaining >= 0.0 ? TQKitFormatTimeRemaining(remaining) : u"Estimating time remaining..."_s;
    setStatusBottomWithString(u"%1 of %2 - %3"_s.arg(TQKitFormatByteSize(TQKitConversionListDoneBytes(list)),
                                                      TQKitFormatByteSize(TQKitConversionListTotalBytes(list)), time));
}

void TQCAppProgressWindowController::setProgressIndicatorValue(double value)
{
    if (repostToMainThread([this, value] { setProgressIndicatorValue(value); }))
        return;
    const double clamped = std::isnan(value) ? 0.0 : std::clamp(value, 0.0, 1.0);
    progressIndicator_->setValue(static_cast<int>(clamped * kProgressScale));
}

void TQCAppProgressWindowController::setProgressIndicatorIndeterminateOn()
{
    if (repostToMainThread([this] { setProgressIndicatorIndeterminateOn(); }))
        return;
    // A bar with no range is Qt's busy (indeterminate) bar.
    progressIndicator_->setRange(0, 0);
    progressIndicator_->setValue(0);
}

void TQCAppProgressWindowController::setProgressIndicatorIndeterminateOff()
{
    if (repostToMainThread([this] { setProgressIndicatorIndeterminateOff(); }))
        return;
    progressIndicator_->setRange(0, kProgressScale);
    progressIndicator_->setValue(0);
}

void TQCAppProgressWindowController::renderCurrentListStatus(int state)
{
    if (state == TQKitConversionList::Finished && !analyticsPostedResult_.exchange(true))
        TQStatsSendSourceTypeEvents(list_.load());
    if (repostToMainThread([this, state] { renderCurrentListStatus(state); }))
        return;
    switch (state) {
    case TQKitConversionList::Waiting:
        renderCurrentStatusTop();
        setStatusBottomWithString(u"Waiting"_s);
        setProgressIndicatorIndeterminateOn();
        break;
    case TQKitConversionList::Converting:
        setStatusBottomWithString(QString());
        setProgressIndicatorIndeterminateOff();
        break;
    case TQKitConversionList::Stopping:
        setStatusBottomWithString(u"Stopping"_s);
        setProgressIndicatorIndeterminateOn();
        stopButton_->hide();
        break;
    case TQKitConversionList::Finished:
        showFinishedState();
        break;
    default:
        break;
    }
}

QString TQCAppProgressWindowController::batchTitle(const QStringList& sources)
{
    if (sources.isEmpty())
        return u"Sonvale"_s;
    const QString first = sources.first();
    const QUrl url(first);
    QString name = url.isValid() && !url.scheme().isEmpty() && !url.isLocalFile()
                       ? (url.fileName().isEmpty() ? url.host() : url.fileName())
                       : QFileInfo(url.isLocalFile() ? url.toLocalFile() : first).fileName();
    if (name.isEmpty())
        name = first;
    return sources.size() == 1 ? name : u"%1 and %2 more"_s.arg(name).arg(sources.size() - 1);
}

void TQCAppProgressWindowController::updateTitle(const TQKitTitleRecord* record)
{
    if (!record || (record->path.empty() && record->title.empty()))
        return;
    QString title;
    QString path;
    if (record->flag) {
        title = TQCAppTextFromKit(record->title.empty() ? record->path.c_str() : record->title.c_str());
    } else {
        title = TQCAppTextFromKit(record->title.empty() ? record->secondTitle.c_str() : record->title.c_str());
        path = TQCAppTextFromKit(record->path.c_str());
    }
    TQKitPerformOnMainThread(this, [this, title, path] {
        if (!title.isEmpty())
            window_->setWindowTitle(title);
        if (!path.isEmpty())
            window_->setWindowFilePath(path);
    });
}

void TQCAppProgressWindowController::enableFinishedStateOnStatusTop()
{
    statusTop_->setAccessibleName(u"Link to converted files"_s);
    statusTop_->setAccessibleDescription(u"Click here to show converted files in the file manager"_s);
}

void TQCAppProgressWindowController::enableLyrebookLinkOnStatusBottom()
{
    srcFilesPanel_->setFinishedLayoutState();
    statusBottom_->setText(u"Edit Tags"_s);
    statusBottom_->setHyperLinkEnabled(true);
    statusBottom_->setAccessibleName(u"Link to Lyrebook"_s);
    statusBottom_->setAccessibleDescription(u"Click here to open converted files in Lyrebook"_s);
}

void TQCAppProgressWindowController::showSendToiTunesLink()
{
    srcFilesPanel_->setFinishedLayoutState();
    sendToiTunesLink_->setHyperLinkEnabled(true);
    sendToiTunesLink_->show();
}

void TQCAppProgressWindowController::showFinishedState()
{
    // The engine may report the finished state more than once; the summary is shown once.
    if (finishedStateShown_)
        return;
    delayedCalls_.cancelAll();
    TQKitConversionList* list = list_.load();
    if (!list)
        return;
    finishedStateShown_ = true;

    const auto n = static_cast<long long>(TQKitConversionListItemCount(list));
    const auto s = static_cast<long long>(TQKitConversionListSucceededCount(list));
    const bool exportable = TQCAppProgressWindowCompletionActions::hasExportableResult(list);
    TQTaskInfoRecord record;
    TQKitConversionListGetTaskInfo(list, &record);
    QString top;
    if (s >= 1)
        top = u"%1 %2 of %3 %4 to \"%5\""_s.arg(QLatin1StringView(TQProductVerbConverted))
                  .arg(s)
                  .arg(n)
                  .arg(fileCountWord(n), outputDirectoryName());
    else if (TQKitConversionListIsStopped(list))
        top = u"Conversion has been stopped"_s;
    else
        top = u"Could not %1 source file%2"_s.arg(QString::fromLatin1(TQProductVerbConvert).toLower(),
                                                    n >= 2 ? u"s"_s : QString());
    setStatusTopWithString(top);
    if (s != 0)
        enableFinishedStateOnStatusTop();
    progressIndicator_->hide();
    stopButton_->hide();

    if (exportable && (TQCAppProgressWindowIntroTips::enabled() || TQLyrebookIsInstalled())) {
        enableLyrebookLinkOnStatusBottom();
        introductoryMessageAboutLyrebookEnabled_ = true;
        showIntroductoryToolTips();
    } else {
        setStatusBottomWithString(u"Finished"_s);
    }
    if (exportable && !TQCAppProgressWindowCompletionActions::isMusicIncompatible(record))
        showSendToiTunesLink();
    // Without the bar and the Stop button the links move up into their place.
    srcFilesPanel_->setFinishedLayoutState();
    detailsList_->setMinimumHeight(srcFilesPanel_->listTop() + kBelowStatusLines);
    detailsList_->informConversionCompleted(list);
    if (stoppedBeforeStart_)
        return;
    playFinishingSound();
    runFinishingSteps(n > 0 && s == n);
}

void TQCAppProgressWindowController::playFinishingSound()
{
    TQKitConverter* converter = converter_.load();
    if (!converter || !TQKitConverterIsIdle(converter) || TQKitFinishSoundSuppressed() != 0)
        return;
    TQGeneralSettingsRecord general;
    TQKitGeneralSettingsLoad(&general);
    if (general.playSound)
        TQKitPlayBundleSound(u"TQCAppProgressWindowController_Finished"_s);
}

void TQCAppProgressWindowController::runFinishingSteps(bool allSucceeded)
{
    TQGeneralSettingsRecord general;
    TQKitGeneralSettingsLoad(&general);
    TQTagSettingsRecord tags;
    TQKitTagSettingsLoad(&tags);
    if (general.openFinderWithConvertedFiles)
        showSuccessfullyConvertedItemsInFinder();
    if (tags.launchLyrebook)
        showSuccessfullyConvertedItemsInLyrebookOrForceOpeningPage(false);
    // The window waits for the Lyrebook tip before closing by itself, but only where tips are
    // shown at all; otherwise the tip would never come and the window would never close.
    const bool tipPending = TQCAppProgressWindowIntroTips::enabled() && !introductoryToolTipAboutLyrebookShown();
    if (!TQKitWindowHasSheet(window_.get()) && general.closeProgress && allSucceeded && !tipPending) {
        close();
        return;
    }
    window_->raise();
}

// ---- Completion commands

void TQCAppProgressWindowController::showSuccessfullyConvertedItemsInFinder()
{
    if (TQKitConversionList* list = list_.load())
        completionActions_->showInFileManager(list);
}

void TQCAppProgressWindowController::showSuccessfullyConvertedItemsInLyrebookOrForceOpeningPage(bool force)
{
    if (TQKitConversionList* list = list_.load())
        completionActions_->openInLyrebook(list, force);
}

void TQCAppProgressWindowController::sendSuccessfullyConvertedItemsToiTunes()
{
    TQKitConversionList* list = list_.load();
    if (!list || !TQKitMusicAccessRequest(window_.get(), TQKitMusicExportTitle()))
        return;
    completionActions_->sendToMusic(list, [this] { close(); });
}

bool TQCAppProgressWindowController::introductoryToolTipAboutLyrebookShown() const
{
    return TQKitIntroToolTipWasShown(u"ProgressWindowLyrebookLink"_s);
}

void TQCAppProgressWindowController::showIntroductoryToolTips()
{
    if (!closed_)
        TQCAppProgressWindowIntroTips::show(*this);
}

// ---- Tags of a Music import

bool TQCAppProgressWindowController::conversionTagsGetDefault(TQKitTagList*) { return false; }

bool TQCAppProgressWindowController::conversionTagsGetOverride(TQKitTagList* tags) { return conversionTagsGetTunes(tags); }

bool TQCAppProgressWindowController::conversionTagsGetTunes(TQKitTagList* tags)
{
    return TQCAppProgressWindowTunesTags(list_.load(), tunesTrackSearchDict_, tags);
}

// ---- The list callback

int TQProgressWindowListCallback(uint32_t type, void* data, void* context)
{
    auto* controller = static_cast<TQCAppProgressWindowController*>(context);
    if (!controller || !controller->list())
        return 0;
    const auto textOf = [data] { return TQCAppTextFromKit(static_cast<const char*>(data)); };
    const auto throttled = [controller] { return controller->suppressCounter() % 5 == 0; };
    switch (type) {
    case 0:
        controller->renderCurrentListProgress(data ? *static_cast<const double*>(data) : 0.0);
        break;
    case 1:
        // This product converts every file it is given.
        return 1;
    case 2:
    case 3:
        controller->renderCurrentListStatus(data ? *static_cast<const int32_t*>(data) : 0);
        break;
    case 4:
        controller->renderCurrentStatusTop();
        break;
    case 6:
        controller->setProgressIndicatorValue(data ? *static_cast<const double*>(data) : 0.0);
        break;
    case 7:
        controller->setProgressIndicatorIndeterminateOn();
        break;
    case 8:
        controller->setProgressIndicatorIndeterminateOff();
        break;
    case 9:
        controller->setStatusTopWithStringNoCheck(textOf());
        break;
    case 10:
        controller->setStatusBottomWithString(textOf());
        break;
    case 11:
        if (throttled()) {
            const uint64_t bytes = TQKitByteCountFromDouble(data ? *static_cast<const double*>(data) : 0.0);
            controller->setStatusBottomWithString(u"Downloading - %1"_s.arg(TQKitFormatByteSize(bytes)));
        }
        break;
    case 12:
        if (throttled()) {
            controller->setStatusBottomWithString(
                u"Calculating size - %1"_s.arg(TQKitFormatByteSize(TQKitConversionListTotalBytes(controller->list()))));
        }
        break;
    case 13:
        if (throttled()) {
            const QString server = textOf();
            if (!server.isEmpty())
                controller->setStatusBottomWithString(u"Connecting to %1"_s.arg(server));
        }
        break;
    case 14:
        controller->setStatusBottomWithString(u"Waiting"_s);
        break;
    case 15:
        controller->updateTitle(static_cast<const TQKitTitleRecord*>(data));
        break;
    case 16:
        // The engine reads the answer from the list itself: replaced or left as it came.
        controller->conversionTagsGetDefault(static_cast<TQKitTagList*>(data));
        break;
    case 17:
        controller->conversionTagsGetOverride(static_cast<TQKitTagList*>(data));
        break;
    case 18:
        controller->reloadItems();
        break;
    default:
        break;
    }
    return 1;
}
