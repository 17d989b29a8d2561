#include "app/main-window/TQCAppMainWindowCloseAllConfirmation.h"

#include "platform/tqkit-ui/TQKitAlerts.h"
#include "platform/tqkit/TQKitSettings.h"

#include <QString>

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <string>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

constexpr char kConfirmationSection[] = "TQCSettingConfirmation";
constexpr char kCloseAllKey[] = "TQCMainWindowCloseAll";
constexpr int64_t kQuestionInterval = 604799; // seconds: a week
constexpr int kQuestionStyle = 16;
constexpr int kSuppressionBox = 1;

} // namespace

bool TQCAppMainWindowCloseAllConfirmation::isNeeded(qsizetype windowsWithSheet, bool onlyMainWindow) const
{
    if (windowsWithSheet > 0)
        return true;
    const std::string stored = TQKitSettingReadText(kConfirmationSection, kCloseAllKey, "");
    const int64_t confirmedAt = stored.empty() ? 0 : std::strtoll(stored.c_str(), nullptr, 10);
    return !suppressedThisRun_ && static_cast<int64_t>(std::time(nullptr)) - confirmedAt > kQuestionInterval &&
           !onlyMainWindow;
}

void TQCAppMainWindowCloseAllConfirmation::ask(QWidget* window, bool offerCheckBox, std::function<void()> close)
{
    TQKitAskQuestion(window, u"Close all windows"_s, u"Are you sure you want to close all windows?"_s,
                     offerCheckBox ? kQuestionStyle | kSuppressionBox : kQuestionStyle,
                     [this, offerCheckBox, close = std::move(close)](int answer, bool suppressed) {
                         if (answer != kTQKitQuestionConfirmed)
                             return;
                         if (offerCheckBox) {
                             suppressedThisRun_ = suppressed;
                             const std::string value = suppressed ? std::to_string(std::time(nullptr)) : "0";
                             TQKitSettingWriteText(kConfirmationSection, kCloseAllKey, value.c_str());
                         }
                         close();
                     });
}
