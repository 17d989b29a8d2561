#include "app/controls/TQCAppMenuObject.h"

#include "app/controls/TQAppInfoMenu.h"
#include "platform/tqkit-ui/TQKitMenuItems.h"
#include "platform/tqkit-ui/TQKitMusicApp.h"
#include "platform/tqkit/TQKitMutex.h"
#include "platform/tqkit/TQKitRemoteParams.h"

#include <QAction>
#include <QMenu>

#include <mutex>

using namespace Qt::StringLiterals;

namespace {

// Guards the creation of the shared object and the filling of Help submenus.
TQKitMutex menuLock;
constexpr char kKeywordProperty[] = "tqAppInfoKeyword";
constexpr int kOnlineFeaturesVersion = 430;

bool onlineFeatures() { return TQKitRemoteParamReadInt("TQCAppVersion", 0) == kOnlineFeaturesVersion; }

void hideItem(const QWidget* menu, int tag)
{
    if (QAction* item = TQKitMenuItemWithTag(menu, tag))
        item->setVisible(false);
}

void hideHelpItems(const QWidget* menu)
{
    for (int tag : {kTQMenuTagHelpHidden1, kTQMenuTagHelpHidden2,
                    kTQMenuTagHelpHidden3})
        hideItem(menu, tag);
}

void emptyMenu(QMenu* menu)
{
    for (QAction* item : menu->actions()) {
        menu->removeAction(item);
        if (item->parent() == menu)
            item->deleteLater();
    }
}

} // namespace

TQCAppMenuObject* TQCAppMenuObject::get()
{
    std::lock_guard lock(menuLock);
    static TQCAppMenuObject* shared = new TQCAppMenuObject; // lives for the process
    return shared;
}

void TQCAppMenuObject::menuWillOpenPopup(QMenu* menu) { TQAppMenuAddHelpSubmenu(menu, {}, {}); }

void TQCAppMenuObject::menuWillOpenHelpMain(QMenu* menu)
{
    if (TQAppMenuInstallHelpEntries(menu))
        hideHelpItems(menu);
}

void TQCAppMenuObject::menuWillOpenAppMain(QMenu* menu)
{
    if (QAction* reset = TQKitMenuItemWithTag(menu, kTQMenuTagResetPreferences))
        reset->setVisible(resetPreferencesOffer_ && resetPreferencesOffer_(reset));
}

void TQAppMenuSetMusicTitles(QWidget* menu)
{
    for (int tag : {kTQMenuTagMusicTitle, kTQMenuTagImportFromMusic}) {
        QAction* item = TQKitMenuItemWithTag(menu, tag);
        if (item && !item->text().isEmpty())
            item->setText(item->text().replace(u"iTunes"_s, TQKitMusicAppName()));
    }
    hideItem(menu, kTQMenuTagHiddenItem1);
    hideItem(menu, kTQMenuTagHiddenItem2);
}

void TQAppMenuInstallMain(QMenu* menu)
{
    TQCAppMenuObject* object = TQCAppMenuObject::get();
    object->setMainMenu(menu);
    TQAppMenuSetMusicTitles(menu);
    if (QAction* help = TQKitMenuItemWithTag(menu, kTQMenuTagHelpMain); help && help->menu()) {
        hideHelpItems(help->menu());
        TQKitMenuSetWillOpenHandler(help->menu(), object, [object](QMenu* m) { object->menuWillOpenHelpMain(m); });
    }
    if (QAction* app = TQKitMenuItemWithTag(menu, kTQMenuTagAppMain); app && app->menu())
        TQKitMenuSetWillOpenHandler(app->menu(), object, [object](QMenu* m) { object->menuWillOpenAppMain(m); });
}

void TQAppMenuComplete(QMenu* menu, int flags)
{
    TQAppMenuSetMusicTitles(menu);
    if (flags & 0x2) {
        TQCAppMenuObject* object = TQCAppMenuObject::get();
        TQKitMenuSetWillOpenHandler(menu, object, [object](QMenu* m) { object->menuWillOpenPopup(m); });
    }
}

void TQAppMenuAddHelpSubmenu(QMenu* menu, const QString& title, const QString& keyword)
{
    if (!menu)
        return;
    const QMenu* main = TQCAppMenuObject::get()->mainMenu(); // before the lock: get() takes it too
    std::lock_guard lock(menuLock);
    const QString shownTitle = title.isEmpty() ? u"Help"_s : title;
    const QString key = keyword.isEmpty() ? u"helpmenu"_s : keyword;

    QAction* item = TQKitMenuItemWithTag(menu, kTQMenuTagHelpSubmenu);
    const bool created = item == nullptr;
    std::unique_ptr<QAction> newItem;
    if (created) {
        newItem = std::make_unique<QAction>(shownTitle);
        TQKitMenuItemSetTag(newItem.get(), kTQMenuTagHelpSubmenu);
        item = newItem.get();
    }
    QMenu* submenu = item->menu();
    if (!submenu) {
        submenu = new QMenu(shownTitle, menu);
        item->setMenu(submenu);
    }
    const QString stored = submenu->property(kKeywordProperty).toString();
    if (!created && stored.compare(key, Qt::CaseInsensitive) == 0)
        return; // already filled for this keyword

    emptyMenu(submenu);
    bool filled = onlineFeatures() && TQAppInfoMenuAdd(submenu, key);
    if (!filled) {
        emptyMenu(submenu);
        const QAction* mainHelp = main ? TQKitMenuItemWithTag(main, kTQMenuTagHelpMain) : nullptr;
        if (mainHelp && mainHelp->menu()) {
            for (const QAction* helpItem : mainHelp->menu()->actions()) {
                if (helpItem->isVisible())
                    submenu->addAction(TQKitMenuItemCopy(helpItem, submenu));
            }
        }
        if (submenu->actions().isEmpty())
            return;
    }
    submenu->setProperty(kKeywordProperty, key);
    if (created) {
        item->setParent(menu);
        menu->addSeparator();
        menu->addAction(newItem.release());
    }
}

bool TQAppMenuInstallHelpEntries(QMenu* menu)
{
    if (!menu || !onlineFeatures())
        return false;
    std::lock_guard lock(menuLock);
    if (!menu->property(kKeywordProperty).toString().isEmpty())
        return false;
    if (!TQAppInfoMenuAdd(menu, u"helpmenu"_s))
        return false;
    menu->setProperty(kKeywordProperty, u"helpmenu"_s);
    return true;
}
