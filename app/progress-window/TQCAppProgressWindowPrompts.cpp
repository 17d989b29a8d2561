#include "app/progress-window/TQCAppProgressWindowPrompts.h"

#include "app/progress-window/TQCAppProgressWindowMainThreadAnswer.h"
#include "app/progress-window/TQCAppProgressWindowTexts.h"
#include "platform/engine/TQKitConversionList.h"
#include "platform/engine/TQKitConversionListItem.h"
#include "platform/engine/TQKitConverter.h"
#include "platform/tqkit-ui/TQKitAlerts.h"
#include "platform/tqkit-ui/TQKitReachability.h"
#include "platform/tqkit-ui/TQKitWindowSheet.h"
#include "platform/tqkit/TQKitSettings.h"
#include "platform/tqkit/TQTagSettingsRecord.h"
#include "platform/tqkit/TQTaskInfoRecord.h"

#include <QDateTime>
#include <QVariantMap>

using namespace Qt::StringLiterals;

namespace {

constexpr int64_t kOneHour = 3600;
constexpr int64_t kOneDay = 86400;
constexpr int kAlertFlags = 5;

// Per process: set by a suppressing answer, read by every window's worker.
std::atomic<bool> limitDurationSuppressed{false};
std::atomic<bool> networkWarningSuppressed{false};
std::atomic<bool> artworkQuestionSuppressed{false};

QVariantMap alert(const QString& title, const QString& message, const QString& defaultButton,
                  const QString& alternateButton, const QString& otherButton, int flags = kAlertFlags)
{
    QVariantMap description{{u"title"_s, title}, {u"message"_s, message}, {u"defaultButton"_s, defaultButton},
                            {u"flags"_s, flags}};
    if (!alternateButton.isEmpty())
        description.insert(u"alternateButton"_s, alternateButton);
    if (!otherButton.isEmpty())
        description.insert(u"otherButton"_s, otherButton);
    return description;
}

} // namespace

TQCAppProgressWindowPrompts::TQCAppProgressWindowPrompts(QWidget* window)
    : window_(window), clock_([] { return QDateTime::currentSecsSinceEpoch(); })
{
}

int64_t TQCAppProgressWindowPrompts::now() const { return clock_(); }

bool TQCAppProgressWindowPrompts::isSuppressed(const char* key, int64_t period) const
{
    const int64_t stamp = TQKitSettingReadInt64(kConfirmationSection, key, 0);
    return stamp != 0 && now() - stamp < period;
}

void TQCAppProgressWindowPrompts::storeStamp(const char* key, bool suppressed)
{
    TQKitSettingWriteInt64(kConfirmationSection, key, suppressed ? now() : 0);
}

void TQCAppProgressWindowPrompts::openPreferencesPage(const QString& page, const QString& subPage)
{
    preferencesPageRequested_ = true;
    if (!openPreferencesPage_)
        return;
    TQKitPerformOnMainThread(QCoreApplication::instance(),
                             [opener = openPreferencesPage_, page, subPage] { opener(page, subPage); });
}

int TQCAppProgressWindowPrompts::runAlertNonMT(const QVariantMap& description,
                                               std::function<void(int, bool)> completion, int escape)
{
    QPointer<QWidget> window = window_;
    return TQCAppWaitForMainThreadAnswer<int>(
        [window, description, completion](std::function<void(int)> answer) {
            if (!window)
                return; // dropping `answer` gives the escape button
            TQKitRunAlert(window, description, [completion, answer](int button, bool suppressed) {
                if (completion)
                    completion(button, suppressed);
                answer(button);
            });
        },
        escape);
}

bool TQCAppProgressWindowPrompts::windowHasAttachedSheetSafe()
{
    QPointer<QWidget> window = window_;
    return TQCAppWaitForMainThreadAnswer<bool>(
        [window](std::function<void(bool)> answer) { answer(window && TQKitWindowHasSheet(window)); }, false);
}

bool TQCAppProgressWindowPrompts::showLimitDurationWarningIfEnabledNonMT(TQKitConversionList* list)
{
    if (limitDurationMessageShown_ || limitDurationSuppressed)
        return true;
    if (isSuppressed(kLimitDurationKey, kOneHour))
        return true;
    limitDurationMessageShown_ = true;
    TQTaskInfoRecord record;
    TQKitConversionListGetTaskInfo(list, &record);
    if (record.limitDurationMs > -1000 && record.limitDurationMs < 1000)
        return true;
    const QString message = u"Limit Duration was enabled in Settings / Effects.\nThe duration of converted files will "
                            u"be limited to %1 seconds.\n\nWould you like to continue?"_s.arg(record.limitDurationMs / 1000);
    const int button = runAlertNonMT(
        alert(u"Limit Duration"_s, message, u"Continue"_s, u"Settings..."_s, u"Stop"_s),
        [this](int answer, bool suppressed) {
            if (answer != kTQKitAlertDefaultButton)
                return;
            limitDurationSuppressed = suppressed;
            storeStamp(kLimitDurationKey, suppressed);
        },
        kTQKitAlertOtherButton);
    if (button == kTQKitAlertAlternateButton)
        openPreferencesPage(u"Effects"_s);
    return button == kTQKitAlertDefaultButton;
}

bool TQCAppProgressWindowPrompts::showMoveToTrashSourceFilesWarningIfEnabledNonMT(TQKitConversionList* list)
{
    if (moveToTrashSourceFilesMessageShown_)
        return true;
    if (isSuppressed(kMoveToTrashKey, kOneHour))
        return true;
    moveToTrashSourceFilesMessageShown_ = true;
    TQTaskInfoRecord record;
    TQKitConversionListGetTaskInfo(list, &record);
    if (!record.moveToTrashSourceFiles)
        return true;
    const int button = runAlertNonMT(
        alert(u"Source Files will be moved to Bin"_s,
              u"'Move source files to Bin...' has been enabled in Settings / General. After successful conversion, "
              u"the files provided will be moved to the Bin.\n\nDo you want to proceed?"_s,
              u"Continue"_s, u"Settings..."_s, u"Stop"_s),
        [this](int answer, bool suppressed) {
            if (answer == kTQKitAlertDefaultButton)
                storeStamp(kMoveToTrashKey, suppressed);
        },
        kTQKitAlertOtherButton);
    if (button == kTQKitAlertAlternateButton)
        openPreferencesPage(u"General"_s, u"Completion"_s);
    return button == kTQKitAlertDefaultButton;
}

bool TQCAppProgressWindowPrompts::showNetworkUnreachableWarningNonMTWithTitle(const QString& title,
                                                                             const QString& message)
{
    if (networkUnreachableMessageShown_ || networkWarningSuppressed)
        return true;
    networkUnreachableMessageShown_ = true;
    const int button = runAlertNonMT(alert(title, message, u"Continue"_s, u"Stop"_s, QString()),
                                     [](int answer, bool suppressed) {
                                         if (answer == kTQKitAlertDefaultButton)
                                             networkWarningSuppressed = suppressed;
                                     },
                                     kTQKitAlertAlternateButton);
    return button == kTQKitAlertDefaultButton;
}

bool TQCAppProgressWindowPrompts::showNetworkUnreachableWarningNonMTAboutTags()
{
    return showNetworkUnreachableWarningNonMTWithTitle(
        u"Load Missing Tags From Network"_s,
        u"Tags cannot be loaded from the network because your system is currently offline. \n\nPress Continue to "
        u"convert files without loading tags from network."_s);
}

bool TQCAppProgressWindowPrompts::showNetworkUnreachableWarningNonMTAboutNetworkDownloader()
{
    return showNetworkUnreachableWarningNonMTWithTitle(
        u"Network Downloader"_s,
        u"Downloading may fail because your system is currently offline. \n\nPress Continue to try conversion in "
        u"offline mode."_s);
}

bool TQCAppProgressWindowPrompts::showLoadTagsFromNetworkMessageAndUpdateTask(TQTaskInfoRecord& record,
                                                                             TQKitConversionList* list,
                                                                             bool artworkDownloadUseful)
{
    if (artworkQuestionSuppressed)
        return true;
    if (isSuppressed(kLoadArtworksKey, kOneDay) || record.stripTags || record.loadTagsFromNetwork ||
        !TQKitIsNetworkReachable() || !artworkDownloadUseful)
        return true;
    const int button = runAlertNonMT(
        alert(u"Load Album Artworks"_s,
              u"Would you like to download missing artworks and metadata for converted music?"_s, u"Yes"_s,
              u"Settings..."_s, u"No"_s),
        [this](int answer, bool suppressed) {
            if (suppressed && (answer == kTQKitAlertDefaultButton || answer == kTQKitAlertOtherButton)) {
                artworkQuestionSuppressed = true;
                storeStamp(kLoadArtworksKey, true);
            }
        },
        kTQKitAlertAlternateButton);
    if (button == kTQKitAlertDefaultButton) {
        record.loadTagsFromNetwork = true;
        TQKitConversionListSetTaskInfo(list, &record);
        if (artworkQuestionSuppressed) {
            TQTagSettingsRecord tags;
            TQKitTagSettingsLoad(&tags);
            tags.loadTagsFromNetwork = true;
            TQKitTagSettingsSave(&tags, 1);
        }
        return true;
    }
    if (button == kTQKitAlertAlternateButton) {
        openPreferencesPage(u"Tags"_s);
        return false;
    }
    return true;
}

void TQCAppProgressWindowPrompts::showNoFilesFoundMessage()
{
    QPointer<QWidget> window = window_;
    TQCAppWaitForMainThreadAnswer<bool>(
        [window](std::function<void(bool)> answer) {
            if (!window)
                return;
            TQKitShowMessageBox(window, u"No files found"_s, TQProductNoFilesMessage(), 4, [answer] { answer(true); });
        },
        false);
}

bool TQCAppProgressWindowPrompts::showNoFilesFoundAcceptAllFiles()
{
    QPointer<QWidget> window = window_;
    const QString message = u"%1\n\nWould you like to accept all files for further conversion?"_s.arg(TQProductNoFilesMessage());
    const int result = TQCAppWaitForMainThreadAnswer<int>(
        [window, message](std::function<void(int)> answer) {
            if (!window)
                return;
            TQKitAskQuestion(window, u"No files found"_s, message, 4, [answer](int button, bool) { answer(button); });
        },
        kTQKitQuestionDeclined);
    return result == kTQKitQuestionConfirmed;
}

int TQCAppProgressWindowPrompts::showDestinationNotWritable(bool canShowFolders)
{
    return runAlertNonMT(alert(u"Current folder or subfolders are not writable"_s,
                               u"Cannot write destination files to current folder.\n\nWould you like to convert to "
                               u"default folder?"_s,
                               u"Yes"_s, canShowFolders ? u"Show in File Manager..."_s : QString(), u"Stop"_s, 4),
                         {}, kTQKitAlertOtherButton);
}
