#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <atomic>
#include <cstdint>
#include <functional>

class TQKitConversionList;
struct TQTaskInfoRecord;

// The questions a progress window asks before its batch is handed to the converter. Each "NonMT"
// method is called on the conversion worker's thread: it shows its alert over the window on the
// main thread and waits for the answer; YES goes on, NO ends the batch. Questions that can be
// suppressed keep the time of the suppressing answer under "TQCSettingConfirmation" (seconds since
// 1970, as 64-bit decimal text) and come back when their period has passed.
//
// Shared by the window and its workers (std::shared_ptr); its flags are atomic because a restarted
// batch may run a second worker beside the first one's tail. When the window is gone, every
// question answers as its Stop or Cancel button would.
class TQCAppProgressWindowPrompts final {
public:
    using Clock = std::function<int64_t()>; // seconds since 1970
    using PreferencesPageOpener = std::function<void(const QString& page, const QString& subPage)>;

    // Button texts and stored keys, as the alerts and settings name them.
    static constexpr const char* kConfirmationSection = "TQCSettingConfirmation";
    static constexpr const char* kLimitDurationKey = "TQCProgressWindowShowLimitDurationPrompt";
    static constexpr const char* kMoveToTrashKey = "TQCProgressWindowMoveToTrashPrompt";
    static constexpr const char* kLoadArtworksKey = "TQCProgressWindowShowLoadAlbumArtworksPrompt";

    // `window`: the parent of every alert, read on the main thread only.
    explicit TQCAppProgressWindowPrompts(QWidget* window);

    void setClock(Clock clock) { clock_ = std::move(clock); }
    int64_t now() const;
    // Opens the preferences at a page ("Effects", "General"/"Completion", "Tags") for "Settings...".
    void setPreferencesPageOpener(PreferencesPageOpener opener) { openPreferencesPage_ = std::move(opener); }
    // A question's "Settings..." was pressed: the batch ends, but its window stays.
    bool preferencesPageRequested() const { return preferencesPageRequested_; }

    bool showLimitDurationWarningIfEnabledNonMT(TQKitConversionList* list);
    bool showMoveToTrashSourceFilesWarningIfEnabledNonMT(TQKitConversionList* list);
    bool showNetworkUnreachableWarningNonMTWithTitle(const QString& title, const QString& message);
    bool showNetworkUnreachableWarningNonMTAboutTags();
    bool showNetworkUnreachableWarningNonMTAboutNetworkDownloader();
    // May set the record's tags-from-network flag (stored in the list) and the Tags settings.
    bool showLoadTagsFromNetworkMessageAndUpdateTask(TQTaskInfoRecord& record, TQKitConversionList* list,
                                                     bool artworkDownloadUseful);
    void showNoFilesFoundMessage();
    bool showNoFilesFoundAcceptAllFiles();
    // "Current folder or subfolders are not writable": 100 Yes, 101 Show in File Manager..., 102 Stop.
    int showDestinationNotWritable(bool canShowFolders);
    // Whether the window has a sheet open (false once it is gone).
    bool windowHasAttachedSheetSafe();

    // The alert over the window, from a worker thread; `escape` when the window is gone.
    int runAlertNonMT(const QVariantMap& description, std::function<void(int button, bool suppressed)> completion,
                      int escape);

private:
    bool isSuppressed(const char* key, int64_t period) const;
    void storeStamp(const char* key, bool suppressed);
    void openPreferencesPage(const QString& page, const QString& subPage = {});

    QPointer<QWidget> window_;
    Clock clock_;
    PreferencesPageOpener openPreferencesPage_;
    std::atomic<bool> limitDurationMessageShown_{false};
    std::atomic<bool> moveToTrashSourceFilesMessageShown_{false};
    std::atomic<bool> networkUnreachableMessageShown_{false};
    std::atomic<bool> preferencesPageRequested_{false};
};
