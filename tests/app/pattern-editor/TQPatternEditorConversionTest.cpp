#include "app/pattern-editor/TQTagLibTextComposeView.h"
#include "app/pattern-editor/TQTagLibTextComposeViewTokenField.h"
#include "platform/engine/ItemRunner.h"
#include "tests/platform/engine/AudioTestFiles.h"
#include "tests/platform/engine/ConverterFixture.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenu>

using namespace Qt::StringLiterals;

namespace sonvale::engine {
namespace {

class PatternEditorConversionTest : public ConverterFixture {};

// The name the editor's sample promises is the name the converted file gets.
TEST_F(PatternEditorConversionTest, APatternMadeInTheEditorNamesAConvertedFileAsItsSampleShowed)
{
    // A tagged source, made by the engine itself from a generated tone.
    const TQKitTagValues tags = {{"title", "Paper Boats"}, {"artist", "Nora Vale"}, {"trackNumber", "7/10"}};
    ItemJob tagging{.sourcePath = home_.path() / "tone.wav", .outputPath = source_ / "source.flac",
                    .settings = {OutputFormat::Flac, FlacOptions{}}};
    tagging.replacementTags = TagSet{{{"TITLE", "Paper Boats"}, {"ARTIST", "Nora Vale"}, {"TRACKNUMBER", "7/10"}}, {}};
    test::writeToneWav(tagging.sourcePath, {.seconds = 0.3});
    ASSERT_TRUE(InProcessItemRunner().run(tagging, std::atomic<bool>(false), nullptr).status.isOk());

    // The person composes "Track Number - Artist" from the plus menu, types the separator, picks
    // three digits for the track number and upper case.
    TQTagLibTextComposeView view;
    view.setPatternFlags(105);
    auto sample = std::make_shared<const TQKitTagValues>(tags);
    view.setSampleObject(sample);
    TQTagLibTextComposeViewTokenField* field = view.tokenField();
    const auto choose = [field](const QString& title) {
        for (QAction* item : field->plusButtonMenu()->actions())
            if (item->text().trimmed() == title)
                item->trigger();
    };
    choose(u"Track Number"_s);
    field->insertPlainText(u" · "_s);
    choose(u"Artist"_s);
    field->objectValue().front()->chooseDigits(3, field);
    view.casePopupButton()->setCurrentIndex(3);
    const QString shown = view.sampleField()->text();
    EXPECT_EQ(shown, u"007 · NORA VALE"_s);

    settings_.renameFiles = true;
    settings_.fileNamePattern = view.textPattern().toStdString();
    settings_.transferTags = true;
    convert({(source_ / "source.flac").string()});
    EXPECT_EQ(filesUnder(destination_), (std::vector<std::string>{shown.toStdString() + ".mp3"}));
}

} // namespace
} // namespace sonvale::engine
