// The progress window over the real conversion engine: generated audio goes in, an MP3 comes out
// of a conversion-service process, and the window shows each step.

#include "app/progress-window/TQCAppProgressWindowController.h"

#include "app/controls/TQNSTextFieldLink.h"
#include "app/progress-window/TQCAppProgressWindowPrompts.h"
#include "app/progress-window/TQCAppProgressWindowTableCellViewStatus.h"
#include "app/progress-window/TQCAppProgressWindowTableView.h"
#include "platform/engine/ServiceItemRunner.h"
#include "platform/engine/TQKitConversionList.h"
#include "platform/engine/TQKitConverter.h"
#include "platform/tqkit/TQKitSettings.h"
#include "platform/tqkit/TQTaskInfoRecord.h"
#include "tests/app/support/ProgressWindowTestSupport.h"
#include "tests/support/QtTestSupport.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <ctime>

using namespace Qt::StringLiterals;
namespace fs = std::filesystem;

namespace sonvale::test {
namespace {

// Notes every text the status cell of a row shows, right after the cell has repainted.
class StatusTextLog final : public QObject, public TQCAppProgressWindowTableDataRecordSubscriber {
public:
    explicit StatusTextLog(TQCAppProgressWindowTableCellViewStatus* cell) : cell_(cell) {}
    void tableDataRecordCallbackType(TQCAppProgressWindowTableDataRecord*, int) override
    {
        const QString text = cell_->textField()->text();
        if (texts.isEmpty() || texts.last() != text)
            texts.append(text);
    }
    QStringList texts;

private:
    TQCAppProgressWindowTableCellViewStatus* cell_;
};

class ProgressWindowEngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        scriptedResponder().reset();
        // The generated file carries no artwork; the offer to look it up was declined for today.
        TQKitSettingWriteInt64(TQCAppProgressWindowPrompts::kConfirmationSection,
                               TQCAppProgressWindowPrompts::kLoadArtworksKey, static_cast<int64_t>(std::time(nullptr)));
        fs::create_directories(sources_);
        fs::create_directories(destination_);
        TQKitConverterOptions options;
        options.runner = std::make_shared<sonvale::engine::ServiceItemRunner>(SONVALE_CONVERT_SERVICE);
        TQKitConverterCreateWithOptions(&converter_, options);
    }
    void TearDown() override
    {
        TQKitConverterDestroy(&converter_);
        scriptedResponder().reset();
    }

    // A batch list as the conversion start fills it: MP3 into the destination folder.
    TQKitConversionList* mp3List() const
    {
        TQKitConversionList* list = nullptr;
        TQKitConversionListCreate(&list);
        TQTaskInfoRecord record;
        TQKitTaskInfoInit(&record);
        record.formatCode = kTQTaskInfoFormatMP3;
        TQKitTaskInfoSetDestination(&record, destination_.c_str(), destination_.string().size());
        TQKitConversionListSetTaskInfo(list, &record);
        return list;
    }

    TempHome home_;
    fs::path sources_ = home_.path() / "Music";
    fs::path destination_ = home_.path() / "Converted";
    TQKitConverter* converter_ = nullptr;
    RecordingDelegate delegate_;
};

TEST_F(ProgressWindowEngineTest, OneGeneratedWavBecomesAnMp3AndTheWindowSaysSo)
{
    const fs::path wav = sources_ / "Evening Tone.wav";
    writeWav(wav, 30.0); // long enough for the row to be seen at work
    TQCAppProgressWindowController controller(converter_, mp3List(), {QString::fromStdString(wav.string())},
                                              QVariantMap(), QVariantMap(), &delegate_);

    // The row appears when the list is handed to the converter.
    ASSERT_TRUE(pumpUntil([&] { return controller.tableView()->rowCount() == 1; }));
    auto* cell = qobject_cast<TQCAppProgressWindowTableCellViewStatus*>(controller.tableView()->cellView(0, 1));
    ASSERT_NE(cell, nullptr);
    StatusTextLog log(cell);
    cell->objectValue()->subscribe(&log);

    ASSERT_TRUE(pumpUntil([&] { return controller.statusBottom()->text() == u"Finished"_s; }, std::chrono::minutes(2)));
    const fs::path mp3 = destination_ / "Evening Tone.mp3";
    EXPECT_TRUE(fs::exists(mp3));
    EXPECT_GT(fs::file_size(mp3), 100'000u);

    EXPECT_EQ(controller.statusTop()->text(), u"Converted 1 of 1 file to \"Converted\""_s);
    ASSERT_FALSE(log.texts.isEmpty());
    EXPECT_TRUE(log.texts.contains(u"Converting..."_s)) << log.texts.join(u" | "_s).toStdString();
    const QString completion = cell->objectValue()->completionStatusName();
    EXPECT_FALSE(completion.isEmpty());
    EXPECT_EQ(log.texts.last(), completion);
    EXPECT_EQ(cell->textField()->text(), completion);
    EXPECT_EQ(cell->backgroundColor(), QColor::fromRgbF(0.95f, 1.0f, 0.95f)); // green, light palette
    EXPECT_TRUE(cell->hyperlinkEnabled());
    EXPECT_EQ(cell->URLs(), QList<QUrl>{QUrl::fromLocalFile(QString::fromStdString(mp3.string()))});
    EXPECT_TRUE(scriptedResponder().requests().isEmpty());
    cell->objectValue()->unsubscribe(&log);
}

} // namespace
} // namespace sonvale::test
