#include "app/preferences/TQCAppPreferencesPanelTags.h"

#include "app/preferences/TQCAppPreferencesPanelGeneralV2.h"
#include "platform/tqkit/TQTagSettingsRecord.h"
#include "tests/support/QtTestSupport.h"
#include "tests/support/TempHome.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTabWidget>
#include <QStandardPaths>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>

using namespace Qt::StringLiterals;

namespace sonvale::test {
namespace {

using Page = TQCAppPreferencesPanelTags;

TQTagSettingsRecord storedTags()
{
    TQTagSettingsRecord record;
    TQKitTagSettingsLoad(&record);
    return record;
}

class TQCAppPreferencesPanelTagsTest : public ::testing::Test {
protected:
    TQCAppPreferencesPanelTagsTest() { scriptedResponder().reset(); }
    ~TQCAppPreferencesPanelTagsTest() override
    {
        for (const QString& name : {u"popover"_s, u"popoverMessage"_s}) {
            if (QWidget* shown = visibleTopLevelWidget(name))
                shown->close();
        }
        page_.reset();
        pumpEvents();
    }

    Page& open()
    {
        page_ = std::make_unique<Page>();
        page_->view()->show();
        return *page_;
    }

    TempHome home_;
    std::unique_ptr<Page> page_;
};

TEST_F(TQCAppPreferencesPanelTagsTest, ANewUserCarriesTheSourcesTagsAndArtwork)
{
    const TQTagSettingsRecord fresh = storedTags();
    EXPECT_TRUE(fresh.transferTags);
    EXPECT_FALSE(fresh.stripTags);
    EXPECT_FALSE(fresh.convertArtworkFormat);
    EXPECT_FALSE(fresh.limitArtworkSize);
    Page& page = open();
    EXPECT_TRUE(page.transferTags()->isChecked());

    page.transferTags()->click();
    EXPECT_FALSE(storedTags().transferTags);
    page.resetPreferences();
    EXPECT_TRUE(page.transferTags()->isChecked());
    EXPECT_TRUE(storedTags().transferTags);
}

TEST_F(TQCAppPreferencesPanelTagsTest, EveryControlSavesItsField)
{
    Page& page = open();
    page.artworkFormat()->click();
    page.artworkSize()->click();
    page.artworkFormatPopup()->setCurrentIndex(1);
    Q_EMIT page.artworkFormatPopup()->activated(1);
    page.artworkSizePopup()->setCurrentIndex(page.artworkSizePopup()->findText(u"300"_s));
    Q_EMIT page.artworkSizePopup()->activated(0);
    page.loadTagsFromPaths()->click();
    page.stripTags()->click();
    const TQTagSettingsRecord stored = storedTags();
    EXPECT_TRUE(stored.transferTags);
    EXPECT_TRUE(stored.loadTagsFromPaths);
    EXPECT_FALSE(stored.loadTagsFromNetwork);
    EXPECT_TRUE(stored.stripTags);
    EXPECT_TRUE(stored.convertArtworkFormat);
    EXPECT_EQ(stored.artworkFormatIndex, 1);
    EXPECT_TRUE(stored.limitArtworkSize);
    EXPECT_EQ(stored.maxArtworkSize, 300);
}

TEST_F(TQCAppPreferencesPanelTagsTest, StoredValuesNoItemShowsFallBack)
{
    TQTagSettingsRecord odd;
    odd.maxArtworkSize = 500;
    odd.artworkFormatIndex = 7;
    TQKitTagSettingsSave(&odd, 0);
    Page& page = open();
    EXPECT_EQ(page.artworkSizePopup()->currentText(), u"768"_s);
    EXPECT_EQ(page.artworkFormatPopup()->currentIndex(), 0);
    page.commitEditing();
    EXPECT_EQ(storedTags().maxArtworkSize, 768);
    EXPECT_EQ(storedTags().artworkFormatIndex, 0);
}

TEST_F(TQCAppPreferencesPanelTagsTest, StrippingDisablesTheTagControlsButTheirValuesAreStillWritten)
{
    TQTagSettingsRecord record;
    record.transferTags = true;
    record.loadTagsFromNetwork = true;
    record.convertArtworkFormat = true;
    record.limitArtworkSize = true;
    TQKitTagSettingsSave(&record, 0);
    Page& page = open();
    EXPECT_TRUE(page.artworkFormatPopup()->isEnabled());
    EXPECT_TRUE(page.artworkSizePopup()->isEnabled());

    page.stripTags()->click();
    for (QWidget* control : std::initializer_list<QWidget*>{page.transferTags(), page.loadTagsFromPaths(),
                                                            page.loadTagsFromNetwork(), page.artworkFormat(),
                                                            page.artworkSize(), page.artworkFormatPopup(),
                                                            page.artworkSizePopup()})
        EXPECT_FALSE(control->isEnabled()) << control->objectName().toStdString();
    EXPECT_TRUE(page.stripTags()->isEnabled());
    EXPECT_TRUE(page.launchLyrebook()->isEnabled());
    const TQTagSettingsRecord stored = storedTags();
    EXPECT_TRUE(stored.stripTags);
    EXPECT_TRUE(stored.transferTags && stored.loadTagsFromNetwork && stored.convertArtworkFormat &&
                stored.limitArtworkSize);

    // Without any source of tags, there is no artwork to convert.
    page.stripTags()->click();
    page.transferTags()->click();
    page.loadTagsFromNetwork()->click();
    EXPECT_FALSE(page.artworkFormat()->isEnabled());
    EXPECT_FALSE(page.artworkSize()->isEnabled());
    page.hideTransferTagsOption();
    page.transferTags()->setChecked(true);
    page.enableControls();
    EXPECT_FALSE(page.artworkFormat()->isEnabled()) << "a hidden transfer option brings no tags";
}

TEST_F(TQCAppPreferencesPanelTagsTest, LyrebookIsOfferedOnlyWhenItIsMissing)
{
    Page& page = open();
    page.launchLyrebook()->click();
    QWidget* popover = visibleTopLevelWidget(u"popover"_s);
    ASSERT_NE(popover, nullptr) << "Lyrebook is not installed in the test's home";
    EXPECT_TRUE(storedTags().launchLyrebook);
    popover->close();
    pumpEvents();

    // An installed copy is found by its desktop entry.
    const QString applications = QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation);
    QDir().mkpath(applications);
    QFile entry(applications + u"/com.telquor.Lyrebook.desktop"_s);
    ASSERT_TRUE(entry.open(QIODevice::WriteOnly));
    entry.write("[Desktop Entry]\nType=Application\nName=Lyrebook\nExec=true\n");
    entry.close();
    page.launchLyrebook()->click();
    page.launchLyrebook()->click();
    EXPECT_TRUE(page.launchLyrebook()->isChecked());
    EXPECT_EQ(visibleTopLevelWidget(u"popover"_s), nullptr);
}

TEST_F(TQCAppPreferencesPanelTagsTest, TurningNetworkTagsOnExplainsWhatItCosts)
{
    Page& page = open();
    page.loadTagsFromNetwork()->click();
    EXPECT_NE(visibleTopLevelWidget(u"popoverMessage"_s), nullptr);
    EXPECT_TRUE(storedTags().loadTagsFromNetwork);
}

TEST_F(TQCAppPreferencesPanelTagsTest, AGeneralSaveReloadsTheTagsPageOnTheMainThread)
{
    Page& page = open();
    TQCAppPreferencesPanelGeneralV2 general;
    general.view();
    ASSERT_FALSE(page.launchLyrebook()->isChecked());

    QThread* reloadedOn = nullptr;
    QObject::connect(page.launchLyrebook(), &QCheckBox::toggled, page.launchLyrebook(),
                     [&reloadedOn] { reloadedOn = QThread::currentThread(); });
    general.tabView()->setCurrentIndex(2);
    general.launchLyrebook()->click();
    ASSERT_TRUE(pumpUntil([&] { return page.launchLyrebook()->isChecked(); }));
    EXPECT_EQ(reloadedOn, QApplication::instance()->thread());
}

TEST_F(TQCAppPreferencesPanelTagsTest, AClosedPageIsNeverReachedAndKeepsANewerPagesRegistration)
{
    auto older = std::make_unique<Page>();
    older->view();
    Page& newer = open();
    older.reset(); // must not remove the newer page's registration

    TQTagSettingsRecord record;
    record.stripTags = true;
    TQKitTagSettingsSave(&record, 1);
    EXPECT_TRUE(pumpUntil([&] { return newer.stripTags()->isChecked(); }));

    // Saves with notify right before the page goes: the reload is dropped with the page.
    record.stripTags = false;
    for (int i = 0; i < 20; ++i)
        TQKitTagSettingsSave(&record, 1);
    page_.reset();
    pumpEvents();
    SUCCEED();
}

} // namespace
} // namespace sonvale::test
