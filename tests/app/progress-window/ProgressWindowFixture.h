#pragma once

// The fixture of the progress-window tests that run against the engine stand-in.

#include "tests/app/support/ProgressWindowTestSupport.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <filesystem>
#include <functional>
#include <memory>

class TQCAppProgressWindowController;
class TQKitConversionList;
struct TQTaskInfoRecord;

namespace sonvale::test {

// A temporary home with a sources folder and a destination folder ("Converted"), the scripted
// responder reset, and windows over lists of the engine stand-in.
class ProgressWindowFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::filesystem::path sources() const { return home_.path() / "Sources"; }
    std::filesystem::path destination() const { return home_.path() / "Converted"; }
    // A WAV file `name` in the sources folder.
    QString addSource(const std::string& name);

    // A window over a new stand-in list for `paths`; `configure` edits the batch record first.
    std::unique_ptr<TQCAppProgressWindowController> openWindow(
        const QStringList& paths, const std::function<void(TQTaskInfoRecord&)>& configure = {});
    // Pumps until the window's list was handed to the converter.
    bool waitUntilStarted(TQCAppProgressWindowController& controller);
    static bool wasStarted(TQKitConversionList* list);

    TempHome home_;
    RecordingDelegate delegate_;
};

} // namespace sonvale::test
