#include "app/controls/TQAppInfoMenu.h"
#include "app/controls/TQCAppMenuObject.h"
#include "app/controls/TQMenuItemPerformer.h"
#include "app/controls/TQLyrebook.h"
#include "lifecycle/TQAnalytics.h"
#include "platform/system/XdgPaths.h"
#include "platform/tqkit-ui/TQKitAppInfo.h"
#include "platform/tqkit-ui/TQKitMenuItems.h"
#include "platform/tqkit/TQKitRemoteParams.h"
#include "platform/tqkit/TQKitSettings.h"
#include "tests/app/support/MainWindowFixture.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QUrl>

#include <fstream>

using namespace Qt::StringLiterals;
using namespace sonvale::test;

namespace {

// Catches the pages the application asks the desktop to open.
class OpenedUrls final : public QObject {
    Q_OBJECT

public:
    OpenedUrls()
    {
        for (const QString& scheme : {u"http"_s, u"https"_s, u"file"_s, u"javascript"_s})
            QDesktopServices::setUrlHandler(scheme, this, "open");
    }
    ~OpenedUrls() override
    {
        for (const QString& scheme : {u"http"_s, u"https"_s, u"file"_s, u"javascript"_s})
            QDesktopServices::unsetUrlHandler(scheme);
    }

    QStringList urls;

public Q_SLOTS:
    void open(const QUrl& url) { urls.append(url.toString()); }
};

class TQCAppMenuObjectTest : public MainWindowFixture {
protected:
    void useParameters(const std::string& json)
    {
        std::ofstream(sonvale::sonvaleDataDir() / "params.json") << json;
        ASSERT_TRUE(TQKitRemoteParamsLoad());
    }
    void useOnlineHelp()
    {
        useParameters(R"json({"TQCAppVersion": 430,
            "TQCAppHelp_helpmenu": "1|Sonvale Guide\n-\n2|Contact Support",
            "TQCAppHelp_general": "3|General Page Help",
            "TQCAppHelpURL_1": "https://help.example/guide",
            "TQCAppHelpURL_2": "javascript:alert(1)",
            "TQCAppHelpURL_3": "https://help.example/general"})json");
    }

    static QStringList titles(const QMenu* menu)
    {
        QStringList result;
        for (QAction* item : menu->actions())
            result.append(item->isSeparator() ? u"-"_s : item->text());
        return result;
    }
    QMenu* helpSubmenuOf(QMenu* menu) const
    {
        QAction* item = TQKitMenuItemWithTag(menu, kTQMenuTagHelpSubmenu);
        return item ? item->menu() : nullptr;
    }

    OpenedUrls opened_;
};

TEST_F(TQCAppMenuObjectTest, WithoutOnlineHelpThePopUpHelpMenuCopiesTheMainOneOnce)
{
    load();
    QMenu* popup = window_->popupMenu();
    Q_EMIT popup->aboutToShow();
    Q_EMIT popup->aboutToShow();
    QMenu* help = helpSubmenuOf(popup);
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(titles(help), (QStringList{u"Sonvale Help"_s, u"Sonvale Website"_s}));
    const QList<QAction*> items = popup->actions();
    EXPECT_EQ(std::count_if(items.begin(), items.end(),
                            [](QAction* a) { return TQKitMenuItemTag(a) == kTQMenuTagHelpSubmenu; }),
              1);
}

TEST_F(TQCAppMenuObjectTest, OnlineHelpFillsEachKeywordOnceAndRefillsForAnother)
{
    useOnlineHelp();
    load();
    QMenu menu;
    TQAppMenuAddHelpSubmenu(&menu, {}, u"helpmenu"_s);
    QMenu* help = helpSubmenuOf(&menu);
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(titles(help), (QStringList{u"-"_s, u"Sonvale Guide"_s, u"-"_s, u"Contact Support"_s}));
    TQAppMenuAddHelpSubmenu(&menu, {}, u"HELPMENU"_s);
    EXPECT_EQ(titles(help).size(), 4);
    TQAppMenuAddHelpSubmenu(&menu, {}, u"general"_s);
    EXPECT_EQ(titles(help), (QStringList{u"-"_s, u"General Page Help"_s}));
    EXPECT_EQ(titles(&menu), (QStringList{u"-"_s, u"Help"_s}));

    // Choosing an item opens its page; a page that is not a web page is never opened.
    help->actions().at(1)->trigger();
    EXPECT_EQ(opened_.urls, QStringList{u"https://help.example/general"_s});
    TQAppMenuAddHelpSubmenu(&menu, {}, u"helpmenu"_s);
    help->actions().at(3)->trigger();
    EXPECT_EQ(opened_.urls.size(), 1);
}

TEST_F(TQCAppMenuObjectTest, HelpButtonRunsASingleCommandAndPopsUpSeveral)
{
    useOnlineHelp();
    load();
    QPushButton* button = window_->helpButton();
    EXPECT_TRUE(TQAppInfoMenuShowAtView(button, u"general"_s, 0, 0));
    EXPECT_EQ(opened_.urls, QStringList{u"https://help.example/general"_s});
    EXPECT_EQ(button->findChild<QMenu*>(), nullptr);

    button->click(); // keyword "main" has no commands: the support page
    EXPECT_EQ(opened_.urls.size(), 1 + (TQKitAppInfo::current().supportPageUrl.startsWith(u"http"_s) ? 1 : 0));

    EXPECT_TRUE(TQAppInfoMenuShowAtView(button, u"helpmenu"_s, 0, 0));
    auto* menu = button->findChild<QMenu*>();
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(menu->isVisible());
    EXPECT_EQ(titles(menu), (QStringList{u"-"_s, u"Sonvale Guide"_s, u"-"_s, u"Contact Support"_s}));
    menu->close();
}

TEST_F(TQCAppMenuObjectTest, PerformedCommandsRecordTheUsageEventAndTagZeroDoesNothing)
{
    useOnlineHelp();
    QAction zero(u"Nothing"_s);
    QAction guide(u"Guide"_s);
    TQMenuItemPerformer::setupMenuItemWithTag(&zero, 0);
    TQMenuItemPerformer::setupMenuItemWithTag(&guide, 1);
    TQMenuItemPerformerSetEventName("ae_cnv_help_cmd");
    const auto before = TQAnalyticsPostedEvents().size();
    zero.trigger();
    guide.trigger();
    EXPECT_EQ(TQAnalyticsPostedEvents().size(), before + 2);
    EXPECT_EQ(opened_.urls, QStringList{u"https://help.example/guide"_s});
    TQMenuItemPerformerSetEventName(nullptr);
    guide.trigger();
    EXPECT_EQ(TQAnalyticsPostedEvents().size(), before + 2);
}

TEST_F(TQCAppMenuObjectTest, MenusNameTheMusicLibrary)
{
    load();
    QAction* import = TQKitMenuItemWithTag(window_->mainMenu(), kTQMenuTagImportFromMusic);
    ASSERT_NE(import, nullptr);
    EXPECT_EQ(import->text(), u"Import from Music..."_s);
    EXPECT_EQ(TQKitMenuItemWithTag(window_->popupMenu(), kTQMenuTagImportFromMusic)->text(),
              u"Import from Music..."_s);
    EXPECT_EQ(window_->browseButton()->text(), u"Import from Music..."_s);
    // The reset item shows only for an open preferences page that can reset.
    QAction* appMenu = TQKitMenuItemWithTag(window_->mainMenu(), kTQMenuTagAppMain);
    Q_EMIT appMenu->menu()->aboutToShow();
    EXPECT_FALSE(TQKitMenuItemWithTag(window_->mainMenu(), kTQMenuTagResetPreferences)->isVisible());
}

TEST_F(TQCAppMenuObjectTest, ThePreferencesMenuGetsTheMainCommandsAndHelp)
{
    load();
    QMenu menu;
    controller_->preferencesDialogCtxMenuBuildHeader(&menu);
    EXPECT_TRUE(menu.actions().isEmpty());
    controller_->preferencesDialogCtxMenuBuildFooter(&menu);
    EXPECT_EQ(titles(&menu), (QStringList{u"Convert Files..."_s, u"Enter URL..."_s, u"Import from Music..."_s, u"-"_s,
                                          u"Destination Folder"_s, u"Show Destination Folder"_s, u"-"_s,
                                          u"Quit Sonvale"_s}));
    QMenu* destination = TQKitMenuItemWithTag(&menu, kTQMenuTagDestinationFolder)->menu();
    Q_EMIT destination->aboutToShow();
    EXPECT_EQ(titles(destination).first(), u"As Source Folder"_s);
    EXPECT_FALSE(controller_->preferencesDialogAppInfoKeywordAllowed());

    controller_->preferencesDialogCtxMenuWillOpenAppInfoKeyword(&menu, u"general"_s);
    EXPECT_EQ(titles(&menu).last(), u"Help"_s);
}

TEST_F(TQCAppMenuObjectTest, LyrebookIsFoundByItsDesktopEntriesInOrder)
{
    EXPECT_FALSE(TQLyrebookIsInstalled());
    const QString applications = homePath(u".local/share/applications"_s);
    QDir().mkpath(applications);
    for (const QString& id : {u"com.telquor.Lyrebook-Beta"_s, u"com.telquor.Lyrebook"_s}) {
        QFile entry(applications + u"/"_s + id + u".desktop"_s);
        ASSERT_TRUE(entry.open(QIODevice::WriteOnly));
        entry.write("[Desktop Entry]\nType=Application\nName=Lyrebook\nExec=lyrebook %F\n");
    }
    EXPECT_EQ(TQLyrebookFindInstalled(0), (QStringList{u"com.telquor.Lyrebook"_s, u"com.telquor.Lyrebook-Beta"_s}));
    EXPECT_EQ(TQLyrebookFindInstalled(1), QStringList{u"com.telquor.Lyrebook"_s});
    EXPECT_TRUE(TQLyrebookIsInstalled());

    EXPECT_NE(TQAppInfoReadLyrebookLink().find("531864207"), std::string::npos);
    useParameters(R"({"TQCAppLyrebookLink": "https://example.com/lyrebook", "TQCAppNoYD": 1})");
    EXPECT_EQ(TQAppInfoReadLyrebookLink(), "https://example.com/lyrebook");
    EXPECT_TRUE(TQAppInfoReadNoYDFlag());
}

TEST_F(TQCAppMenuObjectTest, IntroductoryTipsComeOnlineOnlyOnceEachAfterTheirDelay)
{
    const auto tip = [] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->objectName() == u"introToolTip"_s && widget->isVisible())
                return widget;
        }
        return static_cast<QWidget*>(nullptr);
    };
    load();
    settle();
    EXPECT_EQ(tip(), nullptr);
    EXPECT_EQ(TQKitSettingReadInt("TQKitIntroToolTips", "MainWindowPreferences.offered", 0), 0);

    useOnlineHelp();
    TQKitSettingWriteInt("TQKitIntroToolTips", "MainWindowPreferences.offered", 20);
    load();
    ASSERT_TRUE(pumpUntil([&] { return tip() != nullptr; }));
    EXPECT_NE(tip()->findChildren<QLabel*>().first()->text().indexOf(u"Settings"_s), -1);
    tip()->close();

    // Shown once: the next offer goes to the destination tip, which waits for its own 20 offers.
    controller_->showIntroductoryToolTips();
    settle();
    EXPECT_EQ(tip(), nullptr);
    EXPECT_EQ(TQKitSettingReadInt("TQKitIntroToolTips", "MainWindowPreferences.offered", 0), 21);
    EXPECT_EQ(TQKitSettingReadInt("TQKitIntroToolTips", "MainWindowDestFolder.offered", 0), 1);
}

} // namespace

#include "TQCAppMenuObjectTest.moc"
