#include "app/progress-window/TQCAppProgressWindowConvertWorker.h"

#include "app/progress-window/TQCAppProgressWindowController.h"
#include "app/progress-window/TQCAppProgressWindowPrompts.h"
#include "lifecycle/TQAnalytics.h"
#include "platform/engine/TQKitConversionList.h"
#include "platform/engine/TQKitConversionListItem.h"
#include "platform/engine/TQKitConverter.h"
#include "platform/tqkit-ui/TQKitAlertRequest.h"
#include "platform/tqkit-ui/TQKitMainThread.h"
#include "platform/tqkit-ui/TQKitReachability.h"
#include "platform/tqkit/TQKitRemoteParams.h"
#include "platform/tqkit/TQTaskInfoRecord.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include <atomic>
#include <chrono>
#include <set>
#include <thread>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

std::atomic<int> TQConvertWorkerCount{0};

constexpr uint32_t kNoYDFlag = 0x20000;
constexpr int kMaxFoldersShown = 6;

bool pathIsFolder(const std::string& path) { return QFileInfo(QString::fromStdString(path)).isDir(); }

// Every folder of `folders` that this user cannot write into goes to `notWritable`.
bool pathsAreWritable(const std::vector<std::string>& folders, std::vector<std::string>& notWritable)
{
    notWritable.clear();
    for (const std::string& folder : folders) {
        if (::access(folder.c_str(), W_OK) != 0)
            notWritable.push_back(folder);
    }
    return notWritable.empty();
}

// Without a permission broker every folder the user can reach is granted; unwritable ones are
// caught by the writability test after it.
bool folderAccessRequest(const std::string&) { return true; }

} // namespace

int TQCAppProgressWindowConvertWorker::runningCount() { return TQConvertWorkerCount.load(); }

void TQCAppProgressWindowConvertWorker::start(TQCAppProgressWindowController* controller, TQKitConversionList* list,
                                              std::shared_ptr<TQCAppProgressWindowPrompts> prompts, QStringList paths,
                                              bool acceptListSettings)
{
    auto worker = std::shared_ptr<TQCAppProgressWindowConvertWorker>(new TQCAppProgressWindowConvertWorker(
        controller, list, std::move(prompts), std::move(paths), acceptListSettings));
    // Counted before the thread runs, so a window opened right after sees this one.
    ++TQConvertWorkerCount;
    std::thread([worker] { worker->run(); }).detach();
}

TQCAppProgressWindowConvertWorker::TQCAppProgressWindowConvertWorker(
    TQCAppProgressWindowController* controller, TQKitConversionList* list,
    std::shared_ptr<TQCAppProgressWindowPrompts> prompts, QStringList paths, bool acceptListSettings)
    : controller_(controller), list_(list), prompts_(std::move(prompts)), paths_(std::move(paths)),
      acceptListSettings_(acceptListSettings)
{
    if (list_)
        TQKitConversionListRetain(list_);
}

void TQCAppProgressWindowConvertWorker::run()
{
    if (!steps()) {
        if (closeWindow_)
            postToController(&TQCAppProgressWindowController::close);
        else if (stoppedForSettings_)
            postToController(&TQCAppProgressWindowController::showStoppedBeforeStart);
    }
    if (list_)
        TQKitConversionListRelease(list_);
    list_ = nullptr;
    --TQConvertWorkerCount;
}

bool TQCAppProgressWindowConvertWorker::stopped() const
{
    return list_ == nullptr || TQKitConversionListIsStopped(list_);
}

bool TQCAppProgressWindowConvertWorker::waitForSheet()
{
    while (prompts_->windowHasAttachedSheetSafe()) {
        if (stopped())
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
    return !stopped();
}

bool TQCAppProgressWindowConvertWorker::endAndClose()
{
    // After "Settings..." the user comes back to this window: it stays and says the batch stopped.
    if (prompts_->preferencesPageRequested()) {
        TQKitConversionListStop(list_);
        stoppedForSettings_ = true;
    } else {
        closeWindow_ = true;
    }
    return false;
}

void TQCAppProgressWindowConvertWorker::postToController(void (TQCAppProgressWindowController::*method)())
{
    QPointer<TQCAppProgressWindowController> controller = controller_;
    TQKitPerformOnMainThread(QCoreApplication::instance(), [controller, method] {
        if (controller)
            (controller.data()->*method)();
    });
}

void TQCAppProgressWindowConvertWorker::setStatusTop(const QString& text)
{
    QPointer<TQCAppProgressWindowController> controller = controller_;
    TQKitPerformOnMainThread(QCoreApplication::instance(), [controller, text] {
        if (controller)
            controller->setStatusTopWithString(text);
    });
}

bool TQCAppProgressWindowConvertWorker::steps()
{
    if (stopped())
        return false;

    // Collect the sources' file-system paths, in order.
    std::vector<std::string> sources;
    for (const QString& source : paths_) {
        const QUrl url(source);
        const QString path = url.isLocalFile() ? url.toLocalFile() : source;
        const QByteArray bytes = QFile::encodeName(path);
        if (bytes.isEmpty())
            continue;
        sources.emplace_back(bytes.constData(), static_cast<size_t>(bytes.size()));
        if (stopped())
            return false;
    }
    if (!acceptListSettings_)
        dropSourcesAlreadyListed(sources);
    if (sources.empty())
        return false; // the window keeps its searching text

    postToController(&TQCAppProgressWindowController::resetSuppressCounter);
    TQKitConversionListPrepareSources(list_, sources);
    if (stopped())
        return false;

    if (!prompts_->showLimitDurationWarningIfEnabledNonMT(list_))
        return endAndClose();

    const bool local = TQKitConversionListHasLocalSources(list_, sources);
    if (local) {
        if (stopped())
            return false;
        if (!prompts_->showMoveToTrashSourceFilesWarningIfEnabledNonMT(list_))
            return endAndClose();
    }

    if (stopped())
        return false;
    const bool network = TQKitConversionListHasNetworkSources(list_, sources);
    if (network) {
        if (stopped())
            return false;
        if (!TQKitIsNetworkReachable() && !prompts_->showNetworkUnreachableWarningNonMTAboutNetworkDownloader())
            return endAndClose();
    }

    if (stopped())
        return false;
    TQTaskInfoRecord record;
    TQKitConversionListGetTaskInfo(list_, &record);
    if (!record.stripTags && record.loadTagsFromNetwork && !TQKitIsNetworkReachable()) {
        record.loadTagsFromNetwork = false;
        TQKitConversionListSetTaskInfo(list_, &record);
        if (!waitForSheet())
            return false;
        if (!prompts_->showNetworkUnreachableWarningNonMTAboutTags())
            return endAndClose();
    }

    if (stopped())
        return false;
    if (!TQKitConversionListSourcesAccessible(list_, sources)) {
        std::string folder;
        if (TQKitConversionListFolderNeedingAccess(list_, sources, folder)) {
            if (!waitForSheet())
                return false;
            if (!folderAccessRequest(folder))
                return endAndClose();
        }
    }

    if (stopped())
        return false;
    const uint32_t flagsWord = TQKitRemoteParams::shared().readInt("TQCAppNoYD", 0) != 0 ? kNoYDFlag : 0;
    TQKitConversionListAddSources(list_, sources, flagsWord, TQKitConversionListScanValue(list_));
    if (stopped())
        return false;

    std::string outputFolder;
    if (!TQKitConversionListOutputDirectory(list_, outputFolder))
        outputFolder.clear();
    if (TQKitConversionListDestinationNeedsAccess(list_) && !outputFolder.empty()) {
        if (!waitForSheet())
            return false;
        if (!folderAccessRequest(outputFolder))
            return endAndClose();
    }

    if (stopped())
        return false;
    TQKitConversionListGetTaskInfo(list_, &record);
    if (record.stripTags || !record.loadTagsFromNetwork) {
        if (!waitForSheet())
            return false;
        if (!prompts_->showLoadTagsFromNetworkMessageAndUpdateTask(record, list_, TQKitArtworkDownloadUseful(list_)))
            return endAndClose();
    }

    if (stopped())
        return false;
    const size_t count = local && !network && acceptListSettings_ ? TQKitConversionListAcceptedCount(list_)
                                                                   : TQKitConversionListItemCount(list_);
    if (count == 0) {
        TQKitConversionListGetTaskInfo(list_, &record);
        // This product has no list of source extensions, so an empty batch may accept every file.
        if (!record.acceptNonMediaFiles) {
            if (!waitForSheet())
                return false;
            if (!prompts_->showNoFilesFoundAcceptAllFiles())
                return endAndClose();
            QPointer<TQCAppProgressWindowController> controller = controller_;
            TQKitPerformOnMainThread(QCoreApplication::instance(), [controller, paths = paths_] {
                if (controller)
                    controller->startConvertProcessImpl(paths, false);
            });
            return false;
        }
        if (TQKitConversionListItemCount(list_) == 0) {
            if (waitForSheet())
                prompts_->showNoFilesFoundMessage();
            return endAndClose();
        }
    }

    TQKitConversionListGetTaskInfo(list_, &record);
    if (record.asSourceFolder && !checkFolders(outputFolder))
        return false;

    setStatusTop(u"Starting Conversion..."_s);
    TQStatsSendConversionPreferenceEvents(list_);
    postToController(&TQCAppProgressWindowController::startConvertProcessImplCompletion);
    return true;
}

void TQCAppProgressWindowConvertWorker::dropSourcesAlreadyListed(std::vector<std::string>& sources) const
{
    // The "accept all files" pass runs over the same sources: files that already became items in
    // the first pass must not be converted twice.
    std::vector<TQKitConversionListItem*> items;
    TQKitConversionListGetItems(list_, items);
    std::set<std::string> listed;
    for (TQKitConversionListItem* item : items) {
        std::string path;
        listed.insert(TQKitConversionListItemPath(item, path));
    }
    std::erase_if(sources, [&listed](const std::string& source) { return listed.count(source) != 0; });
}

bool TQCAppProgressWindowConvertWorker::checkFolders(const std::string& outputFolder)
{
    setStatusTop(u"Checking Folders..."_s);
    std::vector<std::string> folders;
    std::vector<std::string> notWritable;
    if (!(TQKitConversionListFlags(list_, 0) & TQKitConversionList::kResultsBesideSources) ||
        !TQKitConversionListCollectFolders(list_, 2, folders) || pathsAreWritable(folders, notWritable))
        return true;

    if (!waitForSheet())
        return false;
    if (!outputFolder.empty() && !folderAccessRequest(outputFolder))
        return endAndClose();
    if (stopped())
        return false;
    if (pathsAreWritable(folders, notWritable))
        return true;
    if (!waitForSheet())
        return false;

    const int button = prompts_->showDestinationNotWritable(!notWritable.empty());
    if (button == kTQKitAlertDefaultButton) {
        TQTaskInfoRecord record;
        TQKitConversionListGetTaskInfo(list_, &record);
        record.asSourceFolder = false;
        TQKitConversionListSetTaskInfo(list_, &record);
        return true;
    }
    if (button == kTQKitAlertAlternateButton) {
        QList<QUrl> urls;
        for (const std::string& folder : notWritable) {
            if (pathIsFolder(folder))
                urls.append(QUrl::fromLocalFile(QString::fromStdString(folder)));
            if (urls.size() == kMaxFoldersShown)
                break;
        }
        if (!urls.isEmpty()) {
            TQKitPerformOnMainThread(QCoreApplication::instance(), [urls] {
                for (const QUrl& url : urls)
                    QDesktopServices::openUrl(url);
            });
        }
    }
    return endAndClose();
}
