#include "app/progress-window/TQCAppProgressWindowIntroTips.h"

#include "app/controls/TQNSTextFieldLink.h"
#include "app/progress-window/TQCAppProgressWindowController.h"
#include "app/progress-window/TQCAppProgressWindowDetailsList.h"
#include "platform/tqkit-ui/TQKitIntroToolTip.h"
#include "platform/tqkit-ui/TQKitMusicApp.h"
#include "platform/tqkit/TQKitRemoteParams.h"

#include <QPointer>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

constexpr int kOnlineFeaturesVersion = 430;

QVariantMap tipDescription(QVariantMap texts)
{
    texts.insert(u"ITTDelayShows"_s, 20);
    texts.insert(u"ITTDelayCount"_s, 2);
    return texts;
}

} // namespace

bool TQCAppProgressWindowIntroTips::enabled()
{
    return TQKitRemoteParamReadInt("TQCAppVersion", 0) == kOnlineFeaturesVersion;
}

void TQCAppProgressWindowIntroTips::show(TQCAppProgressWindowController& controller)
{
    if (!enabled())
        return;
    // A tip's button runs later; the window may be gone by then.
    QPointer<TQCAppProgressWindowController> target(&controller);
    TQKitConversionList* list = controller.list();
    const bool finished = list && TQKitConversionListState(list) == TQKitConversionList::Finished;
    if (controller.statusTop()->hyperLinkEnabled() && finished &&
        TQKitShowIntroToolTip(controller.statusTop(), u"ProgressWindowTopLink"_s,
                              tipDescription({{u"message"_s, u"\nClick here to access converted files in the file manager.\n"_s},
                                              {u"defaultButton"_s, u"Show in File Manager"_s}}),
                              [target] {
                                  if (target)
                                      target->showSuccessfullyConvertedItemsInFinder();
                              }))
        return;
    if (controller.introductoryMessageAboutLyrebookEnabled() &&
        TQKitShowIntroToolTip(controller.statusBottom(), u"ProgressWindowLyrebookLink"_s,
                              tipDescription({{u"title"_s, u"Edit Tags"_s},
                                              {u"message"_s, u"Start Lyrebook to clean up tags, rename converted files and make your "
                                                             u"playlists completely flawless in quick and easy way."_s},
                                              {u"defaultButton"_s, u"Start Lyrebook..."_s}}),
                              [target] {
                                  if (target)
                                      target->showSuccessfullyConvertedItemsInLyrebookOrForceOpeningPage(true);
                              }))
        return;
    TQNSTextFieldLink* music = controller.sendToiTunesLink();
    if (!music->isHidden() && music->hyperLinkEnabled() &&
        TQKitShowIntroToolTip(music, u"ProgressWindowiTunesLink"_s,
                              tipDescription({{u"message"_s, u"\nClick here to export converted files to %1\n"_s.arg(TQKitMusicAppName())},
                                              {u"defaultButton"_s, TQKitMusicExportTitle()}}),
                              [target] {
                                  if (target)
                                      target->sendSuccessfullyConvertedItemsToiTunes();
                              }))
        return;
    const bool expanded = controller.detailsList().isExpanded();
    TQKitShowIntroToolTip(controller.detailsButton(), u"ProgressWindowZoomButton"_s,
                          tipDescription({{u"message"_s, u"\nClick on this button\nto show or hide details of conversion\n"_s},
                                          {u"defaultButton"_s, expanded ? u"Hide details"_s : u"Show details"_s}}),
                          [target, expanded] {
                              if (!target)
                                  return;
                              if (expanded)
                                  target->detailsList().collapse();
                              else
                                  target->detailsList().expand();
                          });
}
