#pragma once

// A set-up main window for the application's tests: a temporary home, the scripted responder
// cleared, the main window with its controller after windowDidLoad. Tests on the engine's stand-in
// give it a fresh start themselves.

#include "app/main-window/TQCAppMainWindow.h"
#include "app/main-window/TQCAppMainWindowControllerCustom.h"
#include "tests/support/QtTestSupport.h"
#include "tests/support/TempHome.h"

#include <QString>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

class QMimeData;

namespace sonvale::test {

class MainWindowFixture : public ::testing::Test {
protected:
    MainWindowFixture();
    ~MainWindowFixture() override;

    // Builds the window and runs windowDidLoad; tests that prepare settings first call it later.
    void load();
    void settle(std::chrono::milliseconds time = std::chrono::milliseconds(400));

    QString homePath(const QString& relative) const;
    QString defaultFolder() const { return homePath(QStringLiteral("Music/Sonvale")); }
    // A real 0.1 s WAV file under the home folder.
    QString makeWav(const QString& name) const;
    static std::unique_ptr<QMimeData> fileDrag(const QStringList& paths);
    // Drags `data` onto the source panel and drops it there, through the window as the desktop
    // delivers a drag; answers whether the drop was accepted.
    bool dropOnSourcePanel(const QMimeData* data);
    // Waits for the pending batch start to open its progress window.
    bool waitForBatches(int count);

    TempHome home_;
    std::unique_ptr<TQCAppMainWindow> window_;
    std::unique_ptr<TQCAppMainWindowControllerCustom> controller_;
};

} // namespace sonvale::test
