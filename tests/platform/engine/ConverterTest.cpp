#include "platform/engine/TQKitConverter.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include "platform/engine/TQKitConversionList.h"
#include "platform/engine/TagReader.h"
#include "platform/tqkit/TQKitTagKeys.h"
#include "platform/tqkit/TQTaskInfoRecord.h"
#include "tests/platform/engine/AudioProbe.h"
#include "tests/platform/engine/AudioTestFiles.h"
#include "tests/platform/engine/ConverterFixture.h"
#include "tests/platform/engine/ListWatcher.h"
#include "tests/support/TempHome.h"

namespace sonvale::engine {
namespace {

using ConverterTest = ConverterFixture;

TEST_F(ConverterTest, AFolderOfGoodAndBadFilesConvertsTheGoodOnesAndSaysWhyTheOthersFailed)
{
    test::writeToneWav(source_ / "album" / "01 good.wav", {.seconds = 1});
    test::writeToneWav(source_ / "album" / "cd2" / "02 good.wav", {.seconds = 1, .channels = 1});
    test::writeRandomBytes(source_ / "album" / "noise.mp3", 30000);
    writeText(source_ / "album" / "empty.flac", "");
    // A FLAC cut in the middle: its header promises more than there is.
    {
        ItemJob job{.sourcePath = source_ / "album" / "01 good.wav", .outputPath = home_.path() / "whole.flac",
                    .settings = {OutputFormat::Flac, FlacOptions{}}};
        test::writeToneWav(job.sourcePath, {.seconds = 4});
        ASSERT_TRUE(InProcessItemRunner().run(job, std::atomic<bool>(false), nullptr).status.isOk());
        const std::string whole = contentsOf(job.outputPath);
        writeText(source_ / "album" / "truncated.flac", whole.substr(0, whole.size() / 2));
    }
    writeText(source_ / "album" / "cover.jpg", "jpeg bytes");
    writeText(source_ / "album" / "notes.txt", "liner notes");
    settings_.replicateFolders = true;
    settings_.copyImagesAndTexts = true;

    convert({(source_ / "album").string()});

    EXPECT_EQ(TQKitConversionListItemCount(list_), 7u);
    EXPECT_EQ(TQKitConversionListSucceededCount(list_), 4u); // two tones, two copies
    EXPECT_EQ(filesUnder(destination_), (std::vector<std::string>{"album/01 good.mp3", "album/cd2/02 good.mp3",
                                                                  "album/cover.jpg", "album/notes.txt"}));
    EXPECT_EQ(completionOf("01 good.wav"), "Converted");
    EXPECT_EQ(TQKitConversionListItemCompletion(list_, itemNamed("01 good.wav"), nullptr),
              Item::kCanShowResult | Item::kSucceeded);
    EXPECT_EQ(completionOf("cover.jpg"), "Copied");
    for (const char* bad : {"noise.mp3", "empty.flac", "truncated.flac"}) {
        EXPECT_EQ(completionOf(bad).rfind("Failed: ", 0), 0u) << bad << ": " << completionOf(bad);
        EXPECT_EQ(TQKitConversionListItemCompletion(list_, itemNamed(bad), nullptr), Item::kFailed);
    }
    EXPECT_EQ(completionOf("truncated.flac"), "Failed: the file is truncated or damaged");
    EXPECT_EQ(test::AudioProbe::of(destination_ / "album" / "cd2" / "02 good.mp3").channels, 1);
}

TEST_F(ConverterTest, StatesArriveInOrderAndFinishedExactlyOnce)
{
    for (int i = 0; i < 5; ++i)
        test::writeToneWav(source_ / ("t" + std::to_string(i) + ".wav"), {.seconds = 0.5});
    TQKitConversionListCreate(&list_);
    test::ListWatcher watcher(list_);
    settings_.output = {OutputFormat::Flac, FlacOptions{}};
    startConverter();
    TQKitConversionListSetBatchSettings(list_, settings_);
    TQKitConversionListAddSources(list_, {source_.string()}, 0, 0);
    TQKitConversionStart(converter_, list_);
    ASSERT_TRUE(watcher.waitFinished());
    TQKitConverterDestroy(&converter_); // no late reports after the end
    EXPECT_EQ(watcher.states(), (std::vector<int32_t>{1, 2, 4}));
    EXPECT_EQ(watcher.count(12), 5) << "one per file found while scanning the folder";
    EXPECT_EQ(watcher.count(9), 1) << "the searching text while the folder is scanned";
    EXPECT_EQ(watcher.count(7), 1);
    EXPECT_EQ(watcher.count(8), 1);
    EXPECT_EQ(watcher.count(4), 6) << "the top line again after the scan and as each item starts";
    EXPECT_TRUE(watcher.titles().empty()) << "a folder batch keeps the window's title";
    EXPECT_EQ(TQKitConversionListState(list_), 4);
    EXPECT_TRUE(TQKitConversionListHasResults(list_));
    std::vector<std::string> results;
    TQKitConversionListEnumerateResults(
        list_, [](void* ctx, const char* path, void*) {
            static_cast<std::vector<std::string>*>(ctx)->push_back(path);
            return true;
        },
        &results, nullptr);
    EXPECT_EQ(results.size(), 5u);
}

// The window's progress line reads these sums on every render: they come from sizes learned when
// the items were added, and grow with the items' progress up to the total.
TEST_F(ConverterTest, ByteTotalsAreLearnedWhenItemsAreAddedAndDoneBytesRiseToThem)
{
    uint64_t sizes = 0;
    for (int i = 0; i < 6; ++i) {
        const fs::path file = source_ / ("t" + std::to_string(i) + ".wav");
        test::writeToneWav(file, {.seconds = 0.2 * (i + 1)});
        sizes += fs::file_size(file);
    }
    writeText(source_ / "gone.mp3", std::string(5000, 'x'));
    TQKitConversionListCreate(&list_);
    TQKitConversionListSetBatchSettings(list_, settings_);
    TQKitConversionListAddSources(list_, {source_.string()}, 0, 0);
    EXPECT_EQ(TQKitConversionListTotalBytes(list_), sizes + 5000);
    EXPECT_EQ(TQKitConversionListDoneBytes(list_), 0u);
    fs::remove(source_ / "gone.mp3"); // its item fails, and counts as done at its size
    EXPECT_EQ(TQKitConversionListTotalBytes(list_), sizes + 5000) << "sizes are read once";

    test::ListWatcher watcher(list_);
    std::mutex mutex;
    std::vector<uint64_t> doneSeen;
    watcher.progress = [&](double) {
        std::lock_guard lock(mutex);
        doneSeen.push_back(TQKitConversionListDoneBytes(list_));
    };
    startConverter();
    TQKitConversionStart(converter_, list_);
    ASSERT_TRUE(watcher.waitFinished());
    EXPECT_EQ(completionOf("gone.mp3").rfind("Failed: ", 0), 0u);
    EXPECT_EQ(TQKitConversionListDoneBytes(list_), sizes + 5000);
    std::lock_guard lock(mutex);
    ASSERT_FALSE(doneSeen.empty());
    for (const uint64_t done : doneSeen)
        EXPECT_LE(done, sizes + 5000);
}

TEST_F(ConverterTest, AddingTheSameSourcesAgainAddsNothingAndAskedFilesCanBeRefused)
{
    test::writeToneWav(source_ / "a.wav", {.seconds = 0.2});
    test::writeToneWav(source_ / "b.wav", {.seconds = 0.2});
    writeText(source_ / "c.xyz", "not media");
    TQKitConversionListCreate(&list_);
    TQKitConversionListSetBatchSettings(list_, settings_);
    test::ListWatcher watcher(list_);
    watcher.accept = [](const std::string& name) { return name != "b.wav"; };
    TQKitConversionListAddSources(list_, {source_.string()}, 0, 0);
    TQKitConversionListAddSources(list_, {source_.string(), (source_ / "a.wav").string()}, 0, 0);
    EXPECT_EQ(TQKitConversionListItemCount(list_), 1u);
    EXPECT_EQ(watcher.askedToAccept(), (std::vector<std::string>{"a.wav", "b.wav"}));
    EXPECT_EQ(TQKitConversionListFlags(list_, 0) & TQKitConversionList::kHasFolder, TQKitConversionList::kHasFolder);
}

TEST_F(ConverterTest, AFolderHoldingTheDestinationLeavesEarlierResultsOut)
{
    const fs::path music = home_.path() / "Music";
    test::writeToneWav(music / "Front_Left.wav", {.seconds = 0.2});
    test::writeToneWav(music / "Sonvale" / "Front_Left.wav", {.seconds = 0.2}); // an earlier result
    test::writeToneWav(music / "Sonvale Live" / "Encore.wav", {.seconds = 0.2});
    fs::create_directories(home_.path() / "elsewhere");
    fs::create_directory_symlink(music / "Sonvale", home_.path() / "elsewhere" / "link");
    const struct {
        fs::path destination; // as the batch names it
        std::vector<std::string> results;
    } cases[] = {
        {music / "Sonvale", {"Encore.mp3", "Front_Left.mp3"}},
        {home_.path() / "elsewhere" / "link", {"Encore.mp3", "Front_Left.mp3"}},
    };
    for (const auto& c : cases) {
        fs::remove_all(music / "Sonvale");
        test::writeToneWav(music / "Sonvale" / "Front_Left.wav", {.seconds = 0.2});
        settings_.destinationFolder = c.destination;
        convert({music.string()});
        EXPECT_EQ(TQKitConversionListItemCount(list_), 2u) << c.destination;
        std::vector<std::string> results;
        for (const auto& e : fs::directory_iterator(music / "Sonvale"))
            if (e.path().extension() == ".mp3")
                results.push_back(e.path().filename().string());
        std::sort(results.begin(), results.end());
        EXPECT_EQ(results, c.results) << c.destination;
        releaseList();
    }
}

TEST_F(ConverterTest, FilesThatAreNotMediaAreLeftOutCopiedOrTriedAsTheBatchSays)
{
    test::writeToneWav(source_ / "album" / "song.wav", {.seconds = 0.3});
    writeText(source_ / "album" / "data.xyz", "no audio here");
    struct Case {
        bool acceptNonMedia, copyNotConverted;
        size_t items;
        std::vector<std::string> files;
        const char* dataCompletion;
    };
    for (const Case& c : {Case{false, false, 1, {"song.mp3"}, ""}, Case{false, true, 2, {"data.xyz", "song.mp3"}, "Copied"},
                          Case{true, false, 2, {"song.mp3"}, "Failed: "}}) {
        fs::remove_all(destination_);
        fs::create_directories(destination_);
        watcher_.reset();
        if (list_)
            TQKitConversionListRelease(list_);
        settings_.acceptNonMediaFiles = c.acceptNonMedia;
        settings_.copyNotConvertedFiles = c.copyNotConverted;
        convert({(source_ / "album").string()});
        EXPECT_EQ(TQKitConversionListItemCount(list_), c.items);
        EXPECT_EQ(filesUnder(destination_), c.files);
        if (c.items == 2) {
            EXPECT_EQ(completionOf("data.xyz").rfind(c.dataCompletion, 0), 0u) << completionOf("data.xyz");
        }
    }
}

struct PolicyCase {
    const char* name;
    int policy;
    bool backup;
    std::vector<std::string> files; // in the destination afterwards
    const char* keptOldAs;          // where the old result's bytes are, or ""
    const char* completion;
};

class OverwritePolicyTest : public ConverterTest, public ::testing::WithParamInterface<PolicyCase> {};

TEST_P(OverwritePolicyTest, ExistingResultsAreTreatedAsThePolicySays)
{
    const PolicyCase& c = GetParam();
    test::writeToneWav(source_ / "song.wav", {.seconds = 0.3});
    writeText(destination_ / "song.mp3", "old result");
    writeText(destination_ / "song (1).mp3", "an older version");
    settings_.overwritePolicy = c.policy;
    settings_.backupPreviousVersion = c.backup;
    convert({(source_ / "song.wav").string()});
    EXPECT_EQ(filesUnder(destination_), c.files);
    if (*c.keptOldAs) {
        EXPECT_EQ(contentsOf(destination_ / c.keptOldAs), "old result");
    }
    EXPECT_EQ(completionOf("song.wav"), c.completion);
    ASSERT_EQ(watcher_->titles().size(), 1u);
    EXPECT_EQ(watcher_->titles()[0].title, "song.wav");
    EXPECT_EQ(watcher_->titles()[0].path, (source_ / "song.wav").string());
}

INSTANTIATE_TEST_SUITE_P(
    Policies, OverwritePolicyTest,
    ::testing::Values(
        PolicyCase{"overwrite", 0, false, {"song (1).mp3", "song.mp3"}, "", "Converted"},
        PolicyCase{"overwrite_with_backup", 0, true, {"song (1).mp3", "song (backup).mp3", "song.mp3"}, "song (backup).mp3", "Converted"},
        PolicyCase{"skip", 1, false, {"song (1).mp3", "song.mp3"}, "song.mp3", "Skipped: the destination file exists"},
        PolicyCase{"new_version", 2, false, {"song (1).mp3", "song (2).mp3", "song.mp3"}, "song.mp3", "Converted"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ConverterTest, SourcesOfOneBatchThatNameTheSameResultKeepBoth)
{
    test::writeToneWav(source_ / "a.wav", {.seconds = 0.3});
    ItemJob flac{.sourcePath = source_ / "a.wav", .outputPath = source_ / "a.flac", .settings = {OutputFormat::Flac, FlacOptions{}}};
    ASSERT_TRUE(InProcessItemRunner().run(flac, std::atomic<bool>(false), nullptr).status.isOk());
    settings_.overwritePolicy = 0;
    convert({(source_ / "a.wav").string(), (source_ / "a.flac").string()});
    EXPECT_EQ(filesUnder(destination_), (std::vector<std::string>{"a (1).mp3", "a.mp3"}));
    EXPECT_EQ(TQKitConversionListSucceededCount(list_), 2u);
}

TEST_F(ConverterTest, TwoBatchesWritingIntoOneFolderAtOnceKeepTheirResultsApart)
{
    test::writeToneWav(source_ / "low.wav", {.frequency = 440, .seconds = 20});
    test::writeToneWav(source_ / "high.wav", {.frequency = 1000, .seconds = 20});
    settings_.output = {OutputFormat::Flac, FlacOptions{}};
    startConverter();
    TQKitConversionList* lists[2] = {};
    std::unique_ptr<test::ListWatcher> watchers[2];
    for (int i = 0; i < 2; ++i) {
        TQKitConversionListCreate(&lists[i]);
        TQKitConversionListSetBatchSettings(lists[i], settings_);
        watchers[i] = std::make_unique<test::ListWatcher>(lists[i]);
        TQKitConversionListAddSources(lists[i], {(source_ / (i ? "high.wav" : "low.wav")).string()}, 0, 0);
    }
    TQKitConversionStart(converter_, lists[0]);
    TQKitConversionStart(converter_, lists[1]);
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(watchers[i]->waitFinished());
        watchers[i].reset();
        TQKitConversionListRelease(lists[i]);
    }
    EXPECT_NEAR(test::AudioProbe::of(destination_ / "low.flac").frequency, 440, 5);
    EXPECT_NEAR(test::AudioProbe::of(destination_ / "high.flac").frequency, 1000, 10);
}

TEST_F(ConverterTest, ASourceIsNeverReplacedByItsOwnResult)
{
    ItemJob job{.sourcePath = home_.path() / "t.wav", .outputPath = source_ / "song.mp3",
                .settings = {OutputFormat::Mp3, Mp3Options{}}};
    test::writeToneWav(job.sourcePath, {.seconds = 0.5});
    ASSERT_TRUE(InProcessItemRunner().run(job, std::atomic<bool>(false), nullptr).status.isOk());
    const std::string original = contentsOf(source_ / "song.mp3");
    settings_.asSourceFolder = true;
    settings_.overwritePolicy = 0;
    convert({(source_ / "song.mp3").string()});
    EXPECT_EQ(contentsOf(source_ / "song.mp3"), original);
    EXPECT_EQ(filesUnder(source_), (std::vector<std::string>{"song (1).mp3", "song.mp3"}));
}

// A pattern whose tags are all missing would name every result "-": each keeps its source's name.
TEST_F(ConverterTest, ARenamePatternWithoutAnyValueKeepsTheSourcesName)
{
    test::writeToneWav(source_ / "first.wav", {.seconds = 0.3});
    test::writeToneWav(source_ / "second.wav", {.seconds = 0.3});
    settings_.output = {OutputFormat::Mp3, Mp3Options{}};
    settings_.renameFiles = true;
    settings_.fileNamePattern = "{{artist}} - {{title}}";
    convert({(source_ / "first.wav").string(), (source_ / "second.wav").string()});
    EXPECT_EQ(filesUnder(destination_), (std::vector<std::string>{"first.mp3", "second.mp3"}));
}

TEST_F(ConverterTest, NamesFromHostileTagsStayInsideTheDestination)
{
    test::writeToneWav(source_ / "a.wav", {.seconds = 0.3});
    settings_.renameFiles = true;
    settings_.fileNamePattern = "{{artist}}";
    settings_.organizeFolders = true;
    settings_.folderPattern = "{{album}}";
    TQKitConverterOptions options;
    options.renderer = [](const std::string& pattern, const TagSet& tags, bool) {
        return pattern == "{{artist}}" ? tags.value("ARTIST") : tags.value("ALBUM");
    };
    startConverter(options);
    TQKitConversionListCreate(&list_);
    TQKitConversionListSetBatchSettings(list_, settings_);
    test::ListWatcher tagger(list_);
    tagger.tags = [](uint32_t type, TQKitTagList& tags) {
        if (type == 17)
            tags = {{"artist", "../../../../etc/passwd"}, {"album", "/../..\x01/."}};
    };
    TQKitConversionListAddSources(list_, {(source_ / "a.wav").string()}, 0, 0);
    TQKitConversionStart(converter_, list_);
    ASSERT_TRUE(tagger.waitFinished());
    const auto files = filesUnder(destination_);
    ASSERT_EQ(files.size(), 1u);
    for (const auto& f : files)
        EXPECT_EQ(f.find(".."), std::string::npos) << f;
    EXPECT_EQ(completionOf("a.wav"), "Converted");
}

TEST_F(ConverterTest, TagsAnsweredByTheApplicationAreWrittenAndTheItemFolderIsRemovedAfterwards)
{
    test::writeToneWav(source_ / "a.wav", {.seconds = 0.3});
    settings_.output = {OutputFormat::M4a, M4aOptions{}};
    startConverter();
    TQKitConversionListCreate(&list_);
    TQKitConversionListSetBatchSettings(list_, settings_);
    test::ListWatcher watcher(list_);
    std::map<uint32_t, TQKitTagList> seen;
    std::string itemFolder;
    watcher.tags = [&](uint32_t type, TQKitTagList& tags) {
        seen[type] = tags;
        if (type != 17)
            return;
        itemFolder = tags[1].second;
        writeText(fs::path(itemFolder) / "art.png", "\x89PNG fake picture");
        tags = {{TQKitTagName(1), "From the application"}, {TQKitTagName(7), "3/12"},
                {"_PATH_ARTWORK", (fs::path(itemFolder) / "art.png").string()}};
    };
    TQKitConversionListAddSources(list_, {(source_ / "a.wav").string()}, 0, 0);
    TQKitConversionStart(converter_, list_);
    ASSERT_TRUE(watcher.waitFinished());
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[16][0], (std::pair<std::string, std::string>{"_PATH_LOCAL", (source_ / "a.wav").string()}));
    EXPECT_EQ(seen[16][1].first, "_PATH_TEMP");
    EXPECT_FALSE(fs::exists(itemFolder));
    const TagSet written = TagReader::read(destination_ / "a.m4a");
    EXPECT_EQ(written.value("TITLE"), "From the application");
    EXPECT_EQ(written.value("TRACKNUMBER"), "3/12");
    EXPECT_EQ(written.artwork.mimeType, "image/png");
}

TEST_F(ConverterTest, TheBatchRecordNamesAndFilesResultsByItsPatterns)
{
    ItemJob tagging{.sourcePath = home_.path() / "t.wav", .outputPath = source_ / "x.flac",
                    .settings = {OutputFormat::Flac, FlacOptions{}}};
    tagging.replacementTags = TagSet{{{"TITLE", "Morning Tide"}, {"ARTIST", "AC/DC"}, {"ALBUM", "Live"},
                                      {"TRACKNUMBER", "3/12"}}, {}};
    test::writeToneWav(tagging.sourcePath, {.seconds = 0.3});
    ASSERT_TRUE(InProcessItemRunner().run(tagging, std::atomic<bool>(false), nullptr).status.isOk());

    TQTaskInfoRecord record;
    TQKitTaskInfoInit(&record);
    const std::string destination = destination_.string();
    TQKitTaskInfoSetDestination(&record, destination.c_str(), destination.size());
    record.formatCode = 1;
    record.transferTags = true;
    record.organizeDestinationFolders = true;
    record.destinationFolderPattern = "{{artist}}/{{album}}";
    record.renameDestinationFiles = true;
    record.fileNamePattern = "{{trackNumber}} - {{title}}";
    startConverter();
    TQKitConversionListCreate(&list_);
    TQKitConversionListSetTaskInfo(list_, &record);
    test::ListWatcher watcher(list_);
    TQKitConversionListAddSources(list_, {(source_ / "x.flac").string()}, 0, 0);
    record.renameDestinationFiles = false; // the list keeps its own copy
    std::vector<Item*> items;
    TQKitConversionListGetItems(list_, items);
    ASSERT_EQ(items.size(), 1u);
    ItemRecorder recorder(list_, items[0]);
    TQKitConversionStart(converter_, list_);
    ASSERT_TRUE(watcher.waitFinished());
    EXPECT_EQ(filesUnder(destination_), (std::vector<std::string>{"AC-DC/Live/03 - Morning Tide.mp3"}));
    EXPECT_TRUE(recorder.statuses().count(Item::Organizing)) << "placing the result in its organized folder";
    TQTaskInfoRecord back;
    TQKitTaskInfoInit(&back);
    TQKitConversionListGetTaskInfo(list_, &back);
    EXPECT_EQ(back.fileNamePattern, "{{trackNumber}} - {{title}}");
    EXPECT_TRUE(back.renameDestinationFiles);
}

} // namespace
} // namespace sonvale::engine
