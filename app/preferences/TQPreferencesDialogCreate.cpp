#include "app/preferences/TQPreferencesDialogCreate.h"

#include "app/preferences/TQAudFormatPanelController.h"
#include "app/preferences/TQCAppPreferencesPanelEffects.h"
#include "app/preferences/TQCAppPreferencesPanelGeneralV2.h"
#include "app/preferences/TQCAppPreferencesPanelTags.h"
#include "app/preferences/TQPreferencesDialogController.h"
#include "platform/tqkit/TQAudFormatFlag.h"


TQPreferencesDialogController* TQPreferencesDialogCreate()
{
    auto* format = new TQAudFormatPanelController;
    format->setDefaultFormat(kTQAudFormatDefault);
    format->setSupportedFormatFlags(kTQAudFormatsOffered);

    const QList<TQPreferencesViewController*> pages{
        new TQCAppPreferencesPanelGeneralV2,
        format,
        new TQCAppPreferencesPanelEffects,
        new TQCAppPreferencesPanelTags,
    };
    const QVariantMap options{
        {QLatin1StringView(TQPreferencesDialogController::kHelpButtonOption), true},
        {QLatin1StringView(TQPreferencesDialogController::kDefaultIndexOption), 0},
    };
    return new TQPreferencesDialogController(pages, QString(), options);
}
