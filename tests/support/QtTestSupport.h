#pragma once

// Helpers for the GUI tests of every floor. Link `sonvale_testsupport_qt` and pass
// `MAIN sonvale_testsupport_qt_main` to sonvale_add_test: that main() creates the QApplication
// (offscreen unless QT_QPA_PLATFORM says otherwise) and installs a ScriptedResponder, so no alert
// of the code under test ever waits for a person.

#include "tests/support/ScriptedResponder.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

class QFont;
class QPalette;
class QString;
class QWidget;

namespace sonvale::test {

// The responder that the test main installs. Call reset() on it in a fixture's SetUp() to start
// from no recorded requests and no rules.
ScriptedResponder& scriptedResponder();

// Processes the pending events, including deferred deletions.
void pumpEvents();

// Runs the event loop until `condition` holds. The limit only guards against a hang (the test then
// fails on the false answer); no test should depend on how fast anything happens.
bool pumpUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds limit = std::chrono::seconds(30));

// The build folder: ${SONVALE_BUILD_DIR}, or the one this was configured for without it. The
// built application is buildDir() / "bin/sonvale", beside its conversion service.
std::filesystem::path buildDir();

// Saves what `widget` shows as buildDir()/screenshots/<name>.png. Returns the file, or an empty path when it could not be written.
std::filesystem::path saveScreenshot(QWidget* widget, const QString& name);

// A dark palette for the whole application (the desktop's dark appearance).
QPalette darkPalette();

// The looks that screenshots are taken in: light or dark, the default font or 11 points.
struct ScreenshotLook {
    bool dark;
    bool largeFont;
};
inline constexpr ScreenshotLook kScreenshotLooks[] = {{false, false}, {true, false}, {false, true}, {true, true}};
// "Light", "DarkFont11", ...: a test-name suffix.
std::string screenshotLookName(const ScreenshotLook& look);
// "light-default", "dark-11pt", ...: a file-name suffix.
QString screenshotLookSuffix(const ScreenshotLook& look);

// Gives the whole application a look for as long as it lives, then puts the palette and font back.
class ScreenshotLookScope final {
public:
    explicit ScreenshotLookScope(const ScreenshotLook& look);
    ~ScreenshotLookScope();
    ScreenshotLookScope(const ScreenshotLookScope&) = delete;
    ScreenshotLookScope& operator=(const ScreenshotLookScope&) = delete;

private:
    std::unique_ptr<QFont> font_;
};

// The visible top-level widget of that object name ("popover", "popoverMessage"), or null.
QWidget* visibleTopLevelWidget(const QString& objectName);

} // namespace sonvale::test
