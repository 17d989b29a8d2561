#include "app/progress-window/TQCAppProgressWindowCompletionActions.h"

#include "app/controls/TQLyrebook.h"
#include "app/progress-window/TQCAppProgressWindowTexts.h"
#include "app/progress-window/TQCAppProgressWindowiTunesController.h"
#include "app/progress-window/TQResultPathSet.h"
#include "lifecycle/TQAnalytics.h"
#include "platform/engine/TQKitConversionList.h"
#include "platform/tqkit-ui/TQKitAlerts.h"
#include "platform/tqkit-ui/TQKitMainThread.h"
#include "platform/tqkit-ui/TQKitMusicApp.h"
#include "platform/tqkit-ui/TQKitWorkspace.h"
#include "platform/tqkit/TQKitMusicLibrary.h"
#include "platform/tqkit/TQTaskInfoRecord.h"

#include <QPointer>

#include <algorithm>
#include <memory>
#include <mutex>

using namespace Qt::StringLiterals;

namespace {

constexpr size_t kMaxSelectedItems = 499;

// The product page was opened in this process already (the automatic opening shows it once).
bool lyrebookPageOpened = false;

TQResultPathSet collectResults(const TQKitConversionList* list, TQKitResultCallback callback)
{
    TQResultPathSet set;
    TQKitConversionListEnumerateResults(list, callback, nullptr, &set);
    return set;
}

QStringList textsOf(const std::vector<std::string>& paths)
{
    QStringList texts;
    for (const std::string& path : paths) {
        const QString text = TQCAppTextFromKit(path.c_str());
        if (!text.isEmpty())
            texts.append(text);
    }
    return texts;
}

} // namespace

bool TQCAppProgressWindowCompletionActions::hasExportableResult(const TQKitConversionList* list)
{
    return !collectResults(list, TQResultPathFindExportable).files.empty();
}

bool TQCAppProgressWindowCompletionActions::isMusicIncompatible(const TQTaskInfoRecord& record)
{
    const auto oneOf = [](int32_t value, std::initializer_list<int32_t> codes) {
        return std::find(codes.begin(), codes.end(), value) != codes.end();
    };
    return record.formatCode == 5 || (record.formatCode == 2 && oneOf(record.furtherOptions3[0], {22, 23, 27, 28})) ||
           (record.formatCode == 4 && oneOf(record.m4aOptions.codec, {38, 39, 40}));
}

void TQCAppProgressWindowCompletionActions::showInFileManager(TQKitConversionList* list)
{
    if (!TQKitConversionListHasResults(list))
        return;
    TQAnalyticsPostEvent("ae_cnv_open_conv_finder");
    const TQResultPathSet set = collectResults(list, TQResultPathCollect);
    if (set.folders.size() == 1 && set.files.size() <= kMaxSelectedItems) {
        if (TQKitRevealItemsInFileManager(textsOf(set.files)))
            return;
    }
    if (set.parentFolders.size() == 1 && set.folders.size() <= kMaxSelectedItems) {
        const QStringList folders = textsOf(set.folders);
        if (folders.size() == 1 && TQKitOpenFolder(folders.first()))
            return;
        if (folders.size() > 1 && TQKitRevealItemsInFileManager(folders))
            return;
    }
    if (!set.commonFolder.empty() && TQKitOpenFolder(TQCAppTextFromKit(set.commonFolder.c_str())))
        return;
    TQKitShowMessageBox(window_, u"Show in File Manager"_s, u"Could not find converted files."_s, 0);
}

void TQCAppProgressWindowCompletionActions::openInLyrebook(TQKitConversionList* list, bool force)
{
    if (!TQKitConversionListHasResults(list))
        return;
    QStringList files;
    bool first = true;
    for (const QString& identifier : TQLyrebookFindInstalled(0)) {
        if (first) {
            first = false;
            files = textsOf(collectResults(list, TQResultPathCollectExportable).files);
            if (files.isEmpty()) {
                TQKitShowMessageBox(window_, u"Export to Lyrebook"_s,
                                    u"Could not find converted files, suitable for export to Lyrebook."_s, 0);
                return;
            }
        }
        if (TQKitOpenFilesWithApplication(identifier, files)) {
            TQAnalyticsPostEvent("ae_cnv_open_conv_lyrebook");
            return;
        }
    }
    if (!force && lyrebookPageOpened)
        return;
    lyrebookPageOpened = true;
    TQLyrebookOpenLink();
    TQAnalyticsPostEvent("ae_cnv_open_lyrebook_page");
}

void TQCAppProgressWindowCompletionActions::sendToMusic(TQKitConversionList* list, std::function<void()> closeWindow)
{
    if (!TQKitConversionListHasResults(list))
        return;
    TQAnalyticsPostEvent("ae_cnv_open_conv_itunes");
    const QStringList files = textsOf(collectResults(list, TQResultPathCollectExportable).files);
    if (files.isEmpty()) {
        TQKitShowMessageBox(window_, TQKitMusicExportTitle(),
                            u"Could not find converted files, suitable for export to %1."_s.arg(TQKitMusicAppName()), 0);
        return;
    }
    // The options view lives until the playlist step has finished.
    auto options = std::make_shared<TQCAppProgressWindowiTunesController>();
    const QVariantMap description{
        {u"title"_s, TQKitMusicExportTitle()},
        {u"message"_s, u"Please specify %1 playlist to add converted files:"_s.arg(TQKitMusicAppName())},
        {u"defaultButton"_s, u"Continue"_s},
        {u"defaultButtonHint"_s, u"Start exporting converted files to the selected playlist"_s},
        {u"alternateButton"_s, u"Cancel"_s},
        {u"alternateButtonHint"_s, u"Cancel exporting and close the window"_s},
        {u"accessoryView"_s, QVariant::fromValue<QObject*>(options->view())},
    };
    QPointer<QWidget> window = window_;
    TQKitRunAlert(window_, description, [options, files, window, closeWindow](int button, bool) mutable {
        options->commitEditing();
        if (button != kTQKitAlertDefaultButton)
            return;
        std::vector<std::string> paths;
        for (const QString& file : files)
            paths.push_back(file.toStdString());
        TQKitMusicAddResult result;
        {
            std::lock_guard lock(TQKitMusicLibraryMutex());
            result = TQKitMusicAddToPlaylist(options->playlistName().toStdString(), paths);
        }
        if (!result.playlistName.empty())
            TQCAppProgressWindowiTunesController::savePlaylistName(QString::fromStdString(result.playlistName));
        if (result.hasErrors() || !result.succeeded() || !options->closeWindowWhenCompleted()) {
            TQKitMusicShowResult(window, result);
        } else if (window && closeWindow) {
            TQKitPerformOnMainThread(window, closeWindow);
        }
    });
}
