#include "app/main-window/TQCAppMainWindowIntroTips.h"

#include "app/controls/TQControlPathPicker.h"
#include "app/main-window/TQCAppMainWindow.h"
#include "platform/tqkit-ui/TQKitIntroToolTip.h"

#include <QPushButton>
#include <QToolButton>

using namespace Qt::StringLiterals;

void TQCAppMainWindowOfferIntroTips(TQCAppMainWindow* window, const TQCAppMainWindowIntroTipActions& actions)
{
    const struct {
        QWidget* anchor;
        QString identifier;
        QVariantMap description;
        std::function<void()> action;
    } tips[] = {
        {window->preferencesButton(), u"MainWindowPreferences"_s,
         {{u"title"_s, u"Settings"_s}, {u"message"_s, u"Open Settings to setup conversion process."_s},
          {u"defaultButton"_s, u"Open Settings"_s}, {u"ITTDelayShows"_s, 20}},
         actions.showPreferences},
        {window->destinationFolder(), u"MainWindowDestFolder"_s,
         {{u"title"_s, u"Destination Folder"_s},
          {u"message"_s, u"This is the folder where your converted files will be placed."_s}, {u"ITTDelayShows"_s, 20}},
         actions.showIntroductoryToolTips},
        {window->helpButton(), u"MainWindowHelpButton"_s,
         {{u"title"_s, u"Help"_s}, {u"message"_s, u"Learn how to get most out of the application."_s},
          {u"ITTFlags"_s, 1}, {u"ITTDelayShows"_s, 30}},
         actions.contactUs},
        {window->zoomButton(), u"MainWindowZoomButton"_s,
         {{u"title"_s, u"Zoom"_s},
          {u"message"_s, u"Click on this button to collapse or expand the window and improve Drag and Drop experience."_s},
          {u"ITTDelayShows"_s, 30}},
         actions.expandCollapseWindow},
    };
    for (const auto& tip : tips) {
        if (TQKitShowIntroToolTip(tip.anchor, tip.identifier, tip.description, tip.action))
            return;
    }
}
