#include "lifecycle/TQRatingPrompt.h"

#include "lifecycle/TQAppirater.h"
#include "lifecycle/TQUpdateCheck.h"
#include "platform/tqkit-ui/TQKitApplicationFacts.h"
#include "platform/tqkit/TQKitRemoteParams.h"

#include <QString>

namespace {

constexpr int kOnlineFeaturesVersion = 430;

// A C text as the prompt keeps it: UTF-8, else its bytes as Latin-1; the empty text for none.
QString fromC(const char* text)
{
    if (!text || !*text)
        return QString();
    const QString decoded = QString::fromUtf8(text);
    return decoded.isEmpty() ? QString::fromLatin1(text) : decoded;
}

} // namespace

void TQRatingPromptStart()
{
    const std::string appId = TQKitRatingAppId();
    if (!appId.empty()) {
        TQAppirater::setAppId(fromC(appId.c_str()));
        TQAppirater::setDaysUntilPrompt(0);
        TQAppirater::setUsesUntilPrompt(7);
        TQAppirater::setSigEventsUntilPrompt(0);
        TQAppirater::setDaysBeforeReminding(0);
    }
    // The prompt is driven by significant events: it can appear at the third one counted.
    TQAppirater::setDaysUntilPrompt(0);
    TQAppirater::setUsesUntilPrompt(65535);
    TQAppirater::setSigEventsUntilPrompt(2);
    TQRatingPromptReadRemote(nullptr);
    TQKitRemoteParamsAddObserver(&TQRatingPromptReadRemote, nullptr);
}

void TQRatingPromptReadRemote(void*)
{
    TQRatingPromptSetTitleFormat(TQKitRemoteParamReadText("TQAppAppiraterTitleFormat", "").c_str());
    TQRatingPromptSetDaysToPromptAgain(TQKitRemoteParamReadInt("TQAppApiraterDaysToPromptAgain", 0));
    TQRatingPromptSetQuestion(TQKitRemoteParamReadText("TQAppAppiraterQuestion", "-").c_str());
    TQRatingPromptSetURL(TQKitRemoteParamReadText("TQAppAppiraterURL", "-").c_str());
    TQAppirater::setEnabledFlagIncreaseCountersWhenEnabled(true, false);
    TQRatingPromptSetCallback(&TQRatingPromptGate);
}

bool TQRatingPromptIncrementSigEventAndRate(QWidget* window)
{
    return TQAppirater::incrementSigEventAndRateWindow(true, window);
}

bool TQRatingPromptGate(int)
{
    if (TQKitRemoteParamReadInt("TQCAppVersion", 0) != kOnlineFeaturesVersion)
        return false;
    return !(TQKitNewVersionAvailable() && (TQUpdateCheckWindowIsOpen() || TQUpdateCheckIsBusy()));
}

void TQRatingPromptSetDaysUntilPrompt(int days) { TQAppirater::setDaysUntilPrompt(days); }
void TQRatingPromptSetUsesUntilPrompt(int uses) { TQAppirater::setUsesUntilPrompt(uses); }
void TQRatingPromptSetSigEventsUntilPrompt(int events) { TQAppirater::setSigEventsUntilPrompt(events); }
void TQRatingPromptSetDaysToPromptAgain(int days) { TQAppirater::setDaysToPromptAgain(days); }
void TQRatingPromptSetEnabled(bool enabled) { TQAppirater::setEnabledFlag(enabled); }
void TQRatingPromptSetCallback(bool (*gate)(int kind)) { TQAppirater::setCallback(gate); }
void TQRatingPromptSetTitleFormat(const char* text) { TQAppirater::setRatingTitleFormat(fromC(text)); }
void TQRatingPromptSetQuestion(const char* text) { TQAppirater::setRatingQuestion(fromC(text)); }
void TQRatingPromptSetURL(const char* text) { TQAppirater::setRatingURL(fromC(text)); }
