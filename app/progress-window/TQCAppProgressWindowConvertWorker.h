#pragma once

#include <QPointer>
#include <QStringList>
#include <QVariantMap>

#include <memory>
#include <string>
#include <vector>

class TQKitConversionList;
class TQCAppProgressWindowController;
class TQCAppProgressWindowPrompts;

// The conversion worker of one progress window: on a thread of its own it turns the window's
// sources into items of the list, asks the questions that must be answered first and, on the main
// thread, hands the list to the converter. It ends early, without a word, as soon as the list is
// stopped. Every refusal closes the window.
//
// Lifetime: the worker owns a list reference and a share of the prompts for its whole run. It
// reaches the window only through queued calls on the main thread that find the controller
// through a weak pointer, so a closed and destroyed window costs nothing.
class TQCAppProgressWindowConvertWorker final {
public:
    // Workers running in this process (all windows).
    static int runningCount();
    // More than this many running workers make a new window wait.
    static constexpr int kMaxRunningWorkers = 16;

    // Starts the worker thread. `acceptListSettings` is false on the "accept all files" restart.
    static void start(TQCAppProgressWindowController* controller, TQKitConversionList* list,
                      std::shared_ptr<TQCAppProgressWindowPrompts> prompts, QStringList paths, bool acceptListSettings);

private:
    TQCAppProgressWindowConvertWorker(TQCAppProgressWindowController* controller, TQKitConversionList* list,
                                      std::shared_ptr<TQCAppProgressWindowPrompts> prompts, QStringList paths,
                                      bool acceptListSettings);
    void run();
    // The steps; false ends the worker (`closeWindow_` says whether the window closes too, and
    // `stoppedForSettings_` whether it shows the stopped batch instead).
    bool steps();
    bool stopped() const;
    bool waitForSheet();
    bool endAndClose();
    bool checkFolders(const std::string& outputFolder);
    // Finds the files of the music tracks dropped on the window (its pasteboard dictionary) and
    // gives the window their track ids; false ends the worker.
    bool resolveMusicTracks(QStringList& paths);
    void dropSourcesAlreadyListed(std::vector<std::string>& sources) const;
    void postToController(void (TQCAppProgressWindowController::*method)());
    void setStatusTop(const QString& text);

    QPointer<TQCAppProgressWindowController> controller_;
    TQKitConversionList* list_;
    std::shared_ptr<TQCAppProgressWindowPrompts> prompts_;
    QStringList paths_;
    QVariantMap tunesPasteboardDict_;
    bool acceptListSettings_;
    bool closeWindow_ = false;
    bool stoppedForSettings_ = false;
};
