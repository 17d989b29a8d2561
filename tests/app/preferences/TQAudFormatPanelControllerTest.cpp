// The Format page and its five options panels: what each shows of a stored record, what it saves,
// and how the controls depend on each other.

#include "app/preferences/TQAudFormatPanelAIFFController.h"
#include "app/preferences/TQAudFormatPanelController.h"
#include "app/preferences/TQAudFormatPanelFLACController.h"
#include "app/preferences/TQAudFormatPanelM4AController.h"
#include "app/preferences/TQAudFormatPanelMP3Controller.h"
#include "app/preferences/TQAudFormatPanelPopUp.h"
#include "app/preferences/TQAudFormatPanelWAVController.h"
#include "app/preferences/TQPreferencesDialogController.h"
#include "app/preferences/TQPreferencesDialogEntryPoints.h"
#include "platform/tqkit-ui/TQKitPopUpButton.h"
#include "platform/tqkit/TQAIFFSettingsRecord.h"
#include "platform/tqkit/TQAudFormatFlag.h"
#include "platform/tqkit/TQFLACSettingsRecord.h"
#include "platform/tqkit/TQKitSettings.h"
#include "platform/tqkit/TQM4ASettingsRecord.h"
#include "platform/tqkit/TQMP3SettingsRecord.h"
#include "platform/tqkit/TQWAVSettingsRecord.h"
#include "tests/support/QtTestSupport.h"
#include "tests/support/TempHome.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

namespace sonvale::test {
namespace {

// The title the pop-up shows; "(none)" while nothing is selected.
QString shown(const TQAudFormatPanelPopUp* popUp)
{
    const QAction* item = popUp->button()->selectedItem();
    return item ? item->text() : u"(none)"_s;
}

// Chooses the item titled `title` as a person does: select it, then the pop-up's action.
void choose(const TQAudFormatPanelPopUp* popUp, const QString& title)
{
    const qsizetype index = popUp->titles().indexOf(title);
    ASSERT_GE(index, 0) << title.toStdString();
    popUp->button()->selectItemAtIndex(static_cast<int>(index));
    popUp->button()->sendAction();
}

bool itemVisible(const TQAudFormatPanelPopUp* popUp, const QString& title)
{
    const qsizetype index = popUp->titles().indexOf(title);
    return index >= 0 && popUp->button()->menu()->actions().at(index)->isVisible();
}

// One row of a panel's table: a value stored in one field, the item the panel shows for it, and
// the value the field holds after the panel saved.
struct Row {
    const char* field;
    int stored;
    const char* shownTitle;
    int saved;
};

std::ostream& operator<<(std::ostream& os, const Row& row)
{
    return os << row.field << " " << row.stored << " -> \"" << row.shownTitle << "\" -> " << row.saved;
}

// Runs a table on a panel: for each row the record is stored with the field set, a new panel
// shows it, saves it, and the stored field is read back.
template <typename Panel, typename Record>
void checkTable(const std::vector<Row>& rows, void (*load)(Record*), void (*save)(const Record*),
                const std::function<int*(Record&, const char*)>& fieldOf,
                const std::function<TQAudFormatPanelPopUp*(Panel&, const char*)>& popUpOf)
{
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row));
        Record record;
        *fieldOf(record, row.field) = row.stored;
        save(&record);
        Panel panel;
        panel.load();
        EXPECT_EQ(shown(popUpOf(panel, row.field)), QString::fromUtf8(row.shownTitle));
        // The saving of a person's change: any pop-up's action saves the whole panel.
        popUpOf(panel, row.field)->button()->sendAction();
        Record saved;
        load(&saved);
        EXPECT_EQ(*fieldOf(saved, row.field), row.saved);
    }
}

class TQAudFormatPanelControllerTest : public ::testing::Test {
protected:
    TQAudFormatPanelControllerTest() { scriptedResponder().reset(); }
    ~TQAudFormatPanelControllerTest() override
    {
        TQPreferencesDialogClose();
        pumpEvents();
    }

    // A page as the dialog builder makes it, with `flags` offered.
    std::unique_ptr<TQAudFormatPanelController> page(int flags = kTQAudFormatsOffered)
    {
        auto format = std::make_unique<TQAudFormatPanelController>();
        format->setDefaultFormat(kTQAudFormatDefault);
        format->setSupportedFormatFlags(flags);
        format->view();
        return format;
    }

    // Chooses the pop-up's item at `index`, as a user does.
    static void chooseFormatAt(TQAudFormatPanelController* format, qsizetype index)
    {
        format->formatPopupButton()->selectItemAtIndex(static_cast<int>(index));
        format->formatPopupButton()->sendAction();
    }

    // The Format page as the preferences dialog shows it; null when the dialog does not.
    static TQAudFormatPanelController* formatPageInDialog()
    {
        TQPreferencesDialogShowPageWithLabel(u"Format"_s, QString());
        TQPreferencesDialogController* dialog = TQPreferencesDialogController::findViewController();
        return dialog ? qobject_cast<TQAudFormatPanelController*>(dialog->selectedViewController()) : nullptr;
    }

    TempHome home_;
};

// --- The page --------------------------------------------------------------------------------------

TEST_F(TQAudFormatPanelControllerTest, OffersMp3ThenM4aAndShowsTheDefaultWithoutWritingIt)
{
    auto format = page();
    ASSERT_EQ(format->formatPopupButton()->numberOfItems(), 2);
    EXPECT_EQ(format->formatPopupButton()->menu()->actions().at(0)->text(), u"MP3 (MPEG Audio Layer 3)"_s);
    EXPECT_EQ(format->formatPopupButton()->menu()->actions().at(1)->text(), u"M4A (MPEG-4 Audio)"_s);
    EXPECT_EQ(format->popUpSelectedFormat(), kTQAudFormatM4A);
    EXPECT_TRUE(qobject_cast<TQAudFormatPanelM4AController*>(format->selectedPanel()));
    EXPECT_EQ(format->appInfoNetworkMenuKeyword(), u"pref_m4a"_s);
    EXPECT_EQ(format->resetPreferencesTitle(), u"MP4 Settings"_s);
    EXPECT_EQ(TQKitSettingReadText("TQAudFormatPanelController", "FormatSelected", "none"), "none");
    EXPECT_EQ(TQAudFormatPanelController::selectedFormat(), 0);
}

TEST_F(TQAudFormatPanelControllerTest, AStoredFormatThatIsNotOfferedShowsTheDefaultAndStaysStored)
{
    TQAudFormatSelectedWrite(kTQAudFormatFLAC);
    auto format = page();
    EXPECT_EQ(format->popUpSelectedFormat(), kTQAudFormatM4A);
    EXPECT_EQ(TQAudFormatPanelController::selectedFormat(), kTQAudFormatFLAC);
}

TEST_F(TQAudFormatPanelControllerTest, ChoosingAFormatStoresItAndShowsExactlyItsPanel)
{
    auto format = page(31);
    ASSERT_EQ(format->formatValues(), (QList<int>{1, 4, 16, 8, 2}));
    const QStringList keywords{u"pref_mp3"_s, u"pref_m4a"_s, u"pref_flac"_s, u"pref_aiff"_s, u"pref_wav"_s};
    const QStringList resets{u"MP3 Settings"_s, u"MP4 Settings"_s, u"FLAC Settings"_s, u"AIFF Settings"_s,
                             u"WAV Settings"_s};
    for (int i = 0; i < 5; ++i) {
        chooseFormatAt(format.get(), i);
        EXPECT_EQ(TQAudFormatPanelController::selectedFormat(), format->formatValues()[i]);
        int visible = 0;
        for (TQAudFormatPanel* panel : format->formatViewControllers())
            visible += panel->view()->isHidden() ? 0 : 1;
        EXPECT_EQ(visible, 1);
        EXPECT_EQ(format->selectedPanel(), format->formatViewControllers()[i]);
        EXPECT_EQ(format->appInfoNetworkMenuKeyword(), keywords[i]);
        EXPECT_EQ(format->resetPreferencesTitle(), resets[i]);
    }
    format->setSelectedFormat(64);
    EXPECT_EQ(format->selectedPanel(), format->formatViewControllers()[4]) << "an unknown flag changes nothing";
}

TEST_F(TQAudFormatPanelControllerTest, InTheDialogTheWindowFitsTheShownPanelAndCannotBeResized)
{
    TQAudFormatPanelController* format = formatPageInDialog();
    ASSERT_NE(format, nullptr);
    QWidget* window = format->view()->window();
    pumpEvents();
    const int m4aHeight = window->height();
    chooseFormatAt(format, 0);
    pumpEvents();
    EXPECT_NE(window->height(), m4aHeight) << "the MP3 panel has its own height ";
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    EXPECT_EQ(window->size(), window->minimumSize());
    EXPECT_GE(format->view()->height(), format->view()->layout()->minimumSize().height());
}

// The MP3 panel keeps no room for the bit-rate controls of the mode it hides: the common controls
// follow the shown ones at the usual row gap, and the window fits either mode.
TEST_F(TQAudFormatPanelControllerTest, TheMp3PanelLeavesNoGapWhereTheOtherModesControlsWould)
{
    TQAudFormatPanelController* format = formatPageInDialog();
    ASSERT_NE(format, nullptr);
    chooseFormatAt(format, format->formatValues().indexOf(kTQAudFormatMP3));
    auto* mp3 = qobject_cast<TQAudFormatPanelMP3Controller*>(format->selectedPanel());
    ASSERT_NE(mp3, nullptr);
    QWidget* window = format->view()->window();
    const auto top = [&](const QWidget* widget) { return widget->mapTo(format->view(), QPoint(0, 0)).y(); };
    const auto bottom = [&](const QWidget* widget) { return top(widget) + widget->height(); };

    for (QRadioButton* mode : {mp3->bitrateCBRButton(), mp3->bitrateVBRButton(), mp3->bitrateCBRButton()}) {
        mode->click();
        pumpEvents();
        SCOPED_TRACE(mp3->isCBR() ? "CBR" : "VBR");
        const QWidget* lastShown =
            mp3->isCBR() ? static_cast<QWidget*>(mp3->cbrHighQuality()) : mp3->bitrateVBRQuality()->button();
        const QWidget* sampleRate = mp3->sampleRate()->button();
        const int rowGap = top(mp3->channels()->button()) - bottom(sampleRate);
        EXPECT_LT(top(sampleRate) - bottom(lastShown), rowGap + sampleRate->height() / 2);
        EXPECT_EQ(window->size(), window->minimumSize());
        EXPECT_GE(format->view()->height(), format->view()->layout()->minimumSize().height());
        EXPECT_LE(bottom(mp3->genUseCRC()), format->view()->height());
    }
}

// The M4A rows, and the Format row above them, are one gap apart whichever codec and bit-rate mode
// decide which of them show.
TEST_F(TQAudFormatPanelControllerTest, TheM4aRowsAreEvenlySpaced)
{
    TQAudFormatPanelController* format = formatPageInDialog();
    ASSERT_NE(format, nullptr);
    chooseFormatAt(format, format->formatValues().indexOf(kTQAudFormatM4A));
    auto* m4a = qobject_cast<TQAudFormatPanelM4AController*>(format->selectedPanel());
    ASSERT_NE(m4a, nullptr);
    const struct {
        QString codec;
        QString mode;
    } cases[] = {{u"AAC LC (Low Complexity AAC)"_s, u"Constant"_s},
                 {u"AAC LC (Low Complexity AAC)"_s, u"Variable"_s},
                 {u"ALAC (Apple Lossless Audio Codec)"_s, u"Average"_s}};
    for (const auto& test : cases) {
        choose(m4a->format(), test.codec);
        choose(m4a->bitRateMode(), test.mode);
        pumpEvents();
        SCOPED_TRACE((test.codec + u' ' + test.mode).toStdString());
        // Each row's pop-up, placed in the page.
        QList<std::pair<QRect, const QWidget*>> rows;
        for (const TQKitPopUpButton* button : format->view()->findChildren<TQKitPopUpButton*>()) {
            if (button->isVisibleTo(format->view()))
                rows.append({QRect(button->mapTo(format->view(), QPoint(0, 0)), button->size()), button});
        }
        std::sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.first.y() < b.first.y(); });
        ASSERT_GE(rows.size(), 6);
        EXPECT_EQ(rows[0].second, format->formatPopupButton());
        const int gap = rows[2].first.y() - rows[1].first.bottom();
        for (qsizetype i = 1; i < rows.size(); ++i) {
            EXPECT_EQ(rows[i].first.y() - rows[i - 1].first.bottom(), gap)
                << rows[i].second->objectName().toStdString() << " in row " << i;
        }
    }
}

// Whichever format is shown, its controls start where the format pop-up does.
TEST_F(TQAudFormatPanelControllerTest, TheControlsOfEveryFormatLineUpWithTheFormatPopUp)
{
    auto format = page(31);
    format->view()->show();
    const int column = format->formatPopupButton()->x();
    for (int i = 0; i < format->formatValues().size(); ++i) {
        chooseFormatAt(format.get(), i);
        pumpEvents();
        QWidget* panel = format->selectedPanel()->view();
        for (const QWidget* control : panel->findChildren<QWidget*>()) {
            if (!control->isVisibleTo(format->view()) ||
                !(qobject_cast<const TQKitPopUpButton*>(control) || qobject_cast<const QCheckBox*>(control)))
                continue;
            EXPECT_EQ(control->mapTo(format->view(), QPoint(0, 0)).x(), column)
                << format->formatValues()[i] << " " << control->objectName().toStdString();
        }
    }
}

// --- M4A -------------------------------------------------------------------------------------------

int* m4aField(TQM4ASettingsRecord& r, const char* field)
{
    const std::string f = field;
    if (f == "codec") return &r.codec;
    if (f == "sampleRate") return &r.sampleRate;
    if (f == "bitRate") return &r.bitRate;
    if (f == "quality") return &r.quality;
    if (f == "bitRateMode") return &r.bitRateMode;
    if (f == "sampleSize") return &r.sampleSize;
    return &r.extension;
}

TEST_F(TQAudFormatPanelControllerTest, M4aTable)
{
    // The loader lets only values of each field's vocabulary through; those the pop-ups lack show
    // their fall-back.
    checkTable<TQAudFormatPanelM4AController, TQM4ASettingsRecord>(
        {
            {"codec", kTQM4ACodecALAC, "ALAC (Apple Lossless Audio Codec)", kTQM4ACodecALAC},
            {"codec", kTQM4ACodecAACHEv1, "AAC HE v1 (High Efficiency AAC v1)", kTQM4ACodecAACHEv1},
            {"bitRate", 0, "Auto", 0},
            {"bitRate", 192, "192", 192},
            {"bitRate", 1000, "320", 320},   // above the codec's range: its largest rate
            {"bitRate", 100, "100", 100},    // inside the range but not offered: shown and kept
            {"quality", 2, "Medium", 2},
            {"bitRateMode", 4, "Variable", 4},
            {"sampleRate", 32000, "32000 Hz", 32000},
            {"sampleRate", 384000, "96000 Hz", 96000}, // AAC LC ends at 96000 Hz
            {"extension", 1, "m4b", 1},
        },
        TQKitM4ASettingsLoad, TQKitM4ASettingsSave, m4aField,
        [](TQAudFormatPanelM4AController& p, const char* field) {
            const std::string f = field;
            if (f == "codec") return p.format();
            if (f == "sampleRate") return p.sampleRate();
            if (f == "bitRate") return p.bitRate();
            if (f == "quality") return p.quality();
            if (f == "bitRateMode") return p.bitRateMode();
            if (f == "sampleSize") return p.sampleSize();
            return p.extension();
        });
}

TEST_F(TQAudFormatPanelControllerTest, M4aFromAacLc320ToHeV2TakesItsLargestRateAndLocksTheChannels)
{
    TQM4ASettingsRecord record;
    record.codec = kTQM4ACodecAACLC;
    record.bitRate = 320;
    record.sampleRate = 96000;
    TQKitM4ASettingsSave(&record);
    TQAudFormatPanelM4AController panel;
    panel.load();
    EXPECT_TRUE(panel.channels()->button()->isEnabled());
    choose(panel.format(), u"AAC HE v2 (High Efficiency AAC v2)"_s);
    EXPECT_EQ(shown(panel.bitRate()), u"64"_s);
    EXPECT_FALSE(panel.channels()->button()->isEnabled());
    EXPECT_FALSE(panel.channels()->label()->isEnabled());
    EXPECT_TRUE(panel.channels()->button()->toolTip().contains(u"supports stereo only"_s));
    EXPECT_EQ(shown(panel.sampleRate()), u"48000 Hz"_s) << "the largest rate the codec takes";
    EXPECT_FALSE(itemVisible(panel.sampleRate(), u"96000 Hz"_s));
    EXPECT_FALSE(itemVisible(panel.sampleRate(), u"8000 Hz"_s));
    EXPECT_TRUE(itemVisible(panel.sampleRate(), u"As Source"_s));
    EXPECT_TRUE(panel.noteLabel()->text().contains(u"encoded as AAC LC"_s));
    EXPECT_TRUE(panel.format()->button()->toolTip().contains(u"encoded as AAC LC"_s));
    TQM4ASettingsRecord saved;
    TQKitM4ASettingsLoad(&saved);
    EXPECT_EQ(saved.codec, kTQM4ACodecAACHEv2);
    EXPECT_EQ(saved.bitRate, 64);
    EXPECT_EQ(saved.sampleRate, 48000);
}

TEST_F(TQAudFormatPanelControllerTest, M4aAlacShowsBitDepthAndCompressionAndKeepsTheBitRate)
{
    TQM4ASettingsRecord record;
    record.bitRate = 256;
    record.bitRateMode = 1;
    TQKitM4ASettingsSave(&record);
    TQAudFormatPanelM4AController panel;
    panel.load();
    EXPECT_TRUE(panel.noteLabel()->text().contains(u"average bit rate"_s)) << "Constant is said to be Average";
    EXPECT_FALSE(panel.quality()->button()->isVisibleTo(panel.view())) << "quality only with Variable";
    choose(panel.format(), u"ALAC (Apple Lossless Audio Codec)"_s);
    EXPECT_FALSE(panel.bitRate()->button()->isVisibleTo(panel.view()));
    EXPECT_FALSE(panel.bitRateMode()->button()->isVisibleTo(panel.view()));
    EXPECT_TRUE(panel.sampleSize()->button()->isVisibleTo(panel.view()));
    EXPECT_TRUE(panel.quality()->button()->isVisibleTo(panel.view()));
    EXPECT_EQ(panel.quality()->label()->text(), u"Compression:"_s);
    choose(panel.sampleSize(), u"32 bit"_s);
    EXPECT_TRUE(panel.noteLabel()->text().contains(u"24 bits"_s));
    TQM4ASettingsRecord saved;
    TQKitM4ASettingsLoad(&saved);
    EXPECT_EQ(saved.codec, kTQM4ACodecALAC);
    EXPECT_EQ(saved.bitRate, 256);
    EXPECT_EQ(saved.bitRateMode, 1);
    EXPECT_EQ(saved.sampleSize, 4);
}

// --- MP3 -------------------------------------------------------------------------------------------

TQMP3SettingsRecord storedMp3()
{
    TQMP3SettingsRecord record;
    TQKitMP3SettingsLoad(&record);
    return record;
}

TEST_F(TQAudFormatPanelControllerTest, Mp3Table)
{
    checkTable<TQAudFormatPanelMP3Controller, TQMP3SettingsRecord>(
        {
            {"cbrBitRate", 0, "Auto", 0},
            {"cbrBitRate", 192, "192", 192},
            {"cbrBitRate", 144, "320", 320},   // an MPEG-2 rate the list lacks: the fall-back
            {"vbrMinBitRate", 40, "40", 40},
            {"vbrMinBitRate", 144, "64", 64},
            {"vbrMaxBitRate", 144, "320", 320},
            {"sampleRate", 22050, "22050 Hz", 22050},
            {"sampleRate", 16000, "As Source", 0},
            {"channelMode", 3, "Mono", 3},
            {"metadataFormat", 0, "ID3v2.4, ID3v1", 0},
        },
        TQKitMP3SettingsLoad, TQKitMP3SettingsSave,
        [](TQMP3SettingsRecord& r, const char* field) {
            const std::string f = field;
            r.cbr = f == "cbrBitRate";
            if (f == "cbrBitRate") return &r.cbrBitRate;
            if (f == "vbrMinBitRate") return &r.vbrMinBitRate;
            if (f == "vbrMaxBitRate") return &r.vbrMaxBitRate;
            if (f == "sampleRate") return &r.sampleRate;
            if (f == "channelMode") return &r.channelMode;
            return &r.metadataFormat;
        },
        [](TQAudFormatPanelMP3Controller& p, const char* field) {
            const std::string f = field;
            if (f == "cbrBitRate") return p.bitrateCBR();
            if (f == "vbrMinBitRate") return p.bitrateVBRMin();
            if (f == "vbrMaxBitRate") return p.bitrateVBRMax();
            if (f == "sampleRate") return p.sampleRate();
            if (f == "channelMode") return p.channels();
            return p.tagFormat();
        });
}

TEST_F(TQAudFormatPanelControllerTest, Mp3ALow256High128PairIsStoredAs128To256)
{
    TQAudFormatPanelMP3Controller panel;
    panel.load();
    panel.bitrateVBRButton()->click();
    EXPECT_FALSE(storedMp3().cbr);
    choose(panel.bitrateVBRMin(), u"256"_s);
    choose(panel.bitrateVBRMax(), u"128"_s);
    EXPECT_EQ(storedMp3().vbrMinBitRate, 128);
    EXPECT_EQ(storedMp3().vbrMaxBitRate, 256);
    EXPECT_EQ(shown(panel.bitrateVBRMin()), u"256"_s) << "the pop-ups show the choice until the next load";
    panel.load();
    EXPECT_EQ(shown(panel.bitrateVBRMin()), u"128"_s);
    EXPECT_EQ(shown(panel.bitrateVBRMax()), u"256"_s);
}

TEST_F(TQAudFormatPanelControllerTest, Mp3SampleRateAndBitRatesRefitEachOther)
{
    TQAudFormatPanelMP3Controller panel;
    panel.load();
    panel.bitrateCBRButton()->click();
    choose(panel.bitrateCBR(), u"320"_s);
    EXPECT_EQ(shown(panel.sampleRate()), u"As Source"_s) << "as the source, a bit rate moves nothing";
    // 22050 Hz carries at most 160 kbps.
    choose(panel.sampleRate(), u"22050 Hz"_s);
    EXPECT_EQ(shown(panel.bitrateCBR()), u"160"_s);
    EXPECT_EQ(storedMp3().cbrBitRate, 160);
    EXPECT_EQ(storedMp3().sampleRate, 22050);
    // And 320 kbps needs 44100 Hz.
    choose(panel.bitrateCBR(), u"320"_s);
    EXPECT_EQ(shown(panel.sampleRate()), u"44100 Hz"_s);
    EXPECT_EQ(storedMp3().sampleRate, 44100);
    EXPECT_EQ(storedMp3().cbrBitRate, 320);
    // VBR bounds refit too: 8000 Hz carries 8 to 64 kbps.
    panel.bitrateVBRButton()->click();
    choose(panel.sampleRate(), u"8000 Hz"_s);
    EXPECT_EQ(storedMp3().vbrMaxBitRate, 64);
    EXPECT_EQ(shown(panel.bitrateVBRMax()), u"64"_s);
    EXPECT_EQ(storedMp3().cbrBitRate, 320) << "switching keeps the CBR rate";
}

TEST_F(TQAudFormatPanelControllerTest, Mp3ChannelsFollowTheDecidingBitRate)
{
    TQAudFormatPanelMP3Controller panel;
    panel.load();
    panel.bitrateCBRButton()->click();
    const std::vector<std::pair<QString, bool>> cbr{{u"Auto"_s, true}, {u"16"_s, false}, {u"24"_s, true}};
    for (const auto& [rate, enabled] : cbr) {
        choose(panel.bitrateCBR(), rate);
        EXPECT_EQ(panel.channels()->button()->isEnabled(), enabled) << rate.toStdString();
        EXPECT_EQ(panel.noteLabel()->isVisibleTo(panel.view()), !enabled) << rate.toStdString();
    }
    panel.bitrateVBRButton()->click();
    choose(panel.bitrateVBRMin(), u"64"_s);
    choose(panel.bitrateVBRMax(), u"8"_s);
    EXPECT_FALSE(panel.channels()->button()->isEnabled());
}

TEST_F(TQAudFormatPanelControllerTest, Mp3ChecksQualityAndReset)
{
    TQAudFormatPanelMP3Controller panel;
    panel.load();
    panel.bitrateCBRButton()->click();
    panel.cbrHighQuality()->click();
    panel.genUseCRC()->click();
    choose(panel.bitrateVBRQuality(), u"9 (Best Speed)"_s);
    TQMP3SettingsRecord saved = storedMp3();
    EXPECT_TRUE(saved.cbr);
    EXPECT_TRUE(saved.cbrHighQuality);
    EXPECT_TRUE(saved.useCRC);
    EXPECT_EQ(saved.vbrQuality, 9);
    panel.resetPreferences();
    EXPECT_EQ(storedMp3(), TQMP3SettingsRecord{});
    EXPECT_FALSE(panel.isCBR());
}

// --- FLAC, WAV, AIFF -------------------------------------------------------------------------------

TEST_F(TQAudFormatPanelControllerTest, FlacTableAndTheRetainedField)
{
    checkTable<TQAudFormatPanelFLACController, TQFLACSettingsRecord>(
        {
            {"compressionLevel", 3, "High", 3},
            {"sampleRate", 384000, "384000 Hz", 384000},
            {"sampleRate", 32000, "As Source", 0},
            {"sampleSize", 3, "24 bit", 3},
            {"tagsFormat", 2, "Vorbis, ID3v2.3", 2},
        },
        TQKitFLACSettingsLoad, TQKitFLACSettingsSave,
        [](TQFLACSettingsRecord& r, const char* field) {
            const std::string f = field;
            if (f == "compressionLevel") return &r.compressionLevel;
            if (f == "sampleRate") return &r.sampleRate;
            if (f == "sampleSize") return &r.sampleSize;
            return &r.tagsFormat;
        },
        [](TQAudFormatPanelFLACController& p, const char* field) {
            const std::string f = field;
            if (f == "compressionLevel") return p.compressionLevel();
            if (f == "sampleRate") return p.sampleRate();
            if (f == "sampleSize") return p.sampleSize();
            return p.tagsFormat();
        });

    TQFLACSettingsRecord record;
    record.retainedValue = 5;
    TQKitFLACSettingsSave(&record);
    TQAudFormatPanelFLACController panel;
    panel.load();
    choose(panel.tagsFormat(), u"Vorbis, ID3v2.4"_s);
    EXPECT_GE(panel.tagsFormat()->button()->width(), TQAudFormatPanelFLACController::kWideTagsFormatWidth);
    choose(panel.sampleSize(), u"8 bit"_s);
    EXPECT_TRUE(panel.noteLabel()->text().contains(u"16 bits"_s));
    TQFLACSettingsRecord saved;
    TQKitFLACSettingsLoad(&saved);
    EXPECT_EQ(saved.tagsFormat, 1);
    EXPECT_EQ(saved.sampleSize, 1);
    EXPECT_EQ(saved.retainedValue, 5);
}

TEST_F(TQAudFormatPanelControllerTest, WavTableAndTheMonoOnlyCodec)
{
    checkTable<TQAudFormatPanelWAVController, TQWAVSettingsRecord>(
        {
            {"codec", kTQPCMCodecPCM24LE, "PCM 24 Bit", kTQPCMCodecPCM24LE},
            {"codec", kTQPCMCodecMuLaw, "G.711 μ-Law", kTQPCMCodecMuLaw},
            {"sampleRate", 96000, "96000 Hz", 96000},
            {"sampleRate", 32000, "As Source", 0},
            {"tagsFormat", 1, "Info", 1},
        },
        TQKitWAVSettingsLoad, TQKitWAVSettingsSave,
        [](TQWAVSettingsRecord& r, const char* field) {
            const std::string f = field;
            if (f == "codec") return &r.codec;
            if (f == "sampleRate") return &r.sampleRate;
            return &r.tagsFormat;
        },
        [](TQAudFormatPanelWAVController& p, const char* field) {
            const std::string f = field;
            if (f == "codec") return p.format();
            if (f == "sampleRate") return p.sampleRate();
            return p.tagsFormat();
        });

    TQAudFormatPanelWAVController panel;
    panel.load();
    choose(panel.channels(), u"Stereo"_s);
    choose(panel.format(), u"GSM 6.10 / Microsoft Variant"_s);
    EXPECT_FALSE(panel.channels()->button()->isVisibleTo(panel.view()));
    EXPECT_TRUE(panel.noteLabel()->text().contains(u"mono at 8000 Hz"_s));
    TQWAVSettingsRecord saved;
    TQKitWAVSettingsLoad(&saved);
    EXPECT_EQ(saved.codec, kTQPCMCodecGSMMicrosoft);
    EXPECT_EQ(saved.channels, 2) << "hidden, the channels stay as chosen";
    choose(panel.format(), u"Automatic Selection"_s);
    EXPECT_TRUE(panel.channels()->button()->isVisibleTo(panel.view()));
}

TEST_F(TQAudFormatPanelControllerTest, AiffTableWithItsOwnCodes)
{
    checkTable<TQAudFormatPanelAIFFController, TQAIFFSettingsRecord>(
        {
            {"codec", kTQPCMCodecPCM16BE, "PCM 16 Bit", kTQPCMCodecPCM16BE},
            {"codec", kTQPCMCodecPCM16LE, "PCM 16 Bit Little Endian", kTQPCMCodecPCM16LE},
            {"codec", kTQPCMCodecADPCMIMAQuickTime, "ADPCM IMA QuickTime", kTQPCMCodecADPCMIMAQuickTime},
            {"sampleRate", 384000, "As Source", 0},
        },
        TQKitAIFFSettingsLoad, TQKitAIFFSettingsSave,
        [](TQAIFFSettingsRecord& r, const char* field) {
            return std::string(field) == "codec" ? &r.codec : &r.sampleRate;
        },
        [](TQAudFormatPanelAIFFController& p, const char* field) {
            return std::string(field) == "codec" ? p.format() : p.sampleRate();
        });
}

} // namespace
} // namespace sonvale::test
