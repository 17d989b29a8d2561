// The engine where files, folders and servers work against it: planted links, killed processes,
// file systems without no-replace renames, endless downloads, special files and absurd headers.

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <linux/capability.h>
#include <linux/fs.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "platform/engine/PartialFile.h"
#include "platform/engine/ProcessMark.h"
#include "platform/engine/TQKitCaches.h"
#include "platform/engine/UrlDownloader.h"
#include "platform/engine/WorkFolders.h"
#include "platform/system/XdgPaths.h"
#include "tests/platform/engine/AudioTestFiles.h"
#include "tests/platform/engine/ConverterFixture.h"
#include "tests/platform/engine/LoopbackServer.h"
#include "tests/platform/engine/SyscallRefusal.h"

namespace sonvale::engine {
namespace {

using HostileFilesTest = ConverterFixture;

// Every entry of a folder, hidden ones and links included, by name.
std::vector<std::string> entriesOf(const fs::path& folder)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

fs::path workFoldersRoot()
{
    return sonvaleCacheDir() / "work";
}

TEST_F(HostileFilesTest, LinksPlantedWherePartialResultsAreWrittenAreNeverWrittenThrough)
{
    test::writeToneWav(source_ / "a.wav", {.seconds = 1});
    writeText(home_.path() / "victim.txt", "precious");
    // The names partial results had: this process's number and a count.
    for (int n = 1; n <= 20; ++n)
        fs::create_symlink(home_.path() / "victim.txt",
                           destination_ / (".sonvale-" + std::to_string(::getpid()) + "-" + std::to_string(n) + ".part"));
    convert({(source_ / "a.wav").string()});

    EXPECT_EQ(completionOf("a.wav"), "Converted");
    EXPECT_EQ(contentsOf(home_.path() / "victim.txt"), "precious");
    EXPECT_FALSE(fs::is_symlink(destination_ / "a.mp3"));
    EXPECT_GT(fs::file_size(destination_ / "a.mp3"), 1000u);
}

TEST_F(HostileFilesTest, EncodersRefuseALinkOrAPipeInPlaceOfTheirResult)
{
    test::writeToneWav(source_ / "a.wav", {.seconds = 1});
    writeText(home_.path() / "victim.txt", "precious");
    const OutputSettings lame{OutputFormat::Mp3, Mp3Options{.cbr = true, .cbrBitRate = 128}};
    const OutputSettings ffmpeg{OutputFormat::Flac, FlacOptions{}};
    for (const auto& settings : {lame, ffmpeg}) {
        fs::create_symlink(home_.path() / "victim.txt", destination_ / "link");
        ASSERT_EQ(::mkfifo((destination_ / "pipe").c_str(), 0600), 0);
        for (const char* name : {"link", "pipe"}) {
            const ItemJob job{.sourcePath = source_ / "a.wav", .outputPath = destination_ / name, .settings = settings};
            const Status status = InProcessItemRunner().run(job, std::atomic<bool>(false), nullptr).status;
            EXPECT_NE(status.message().find("cannot create the result file"), std::string::npos)
                << name << ": " << status.message();
        }
    }
    EXPECT_EQ(contentsOf(home_.path() / "victim.txt"), "precious");
}

TEST_F(HostileFilesTest, PartialFileNamesCannotBeGuessedAndCreationSaysWhyItFailed)
{
    fs::path first, second;
    ASSERT_TRUE(PartialFile::create(destination_, first).isOk());
    ASSERT_TRUE(PartialFile::create(destination_, second).isOk());
    EXPECT_NE(first, second);
    EXPECT_TRUE(first.filename().string().starts_with(".sonvale-"));
    // Past the process mark, 64 random bits.
    EXPECT_GE(first.filename().string().size() - first.filename().string().rfind('-'), 17u);

    fs::path none;
    const Status missing = PartialFile::create(destination_ / "gone", none);
    EXPECT_EQ(missing.message(), "cannot create the result file (No such file or directory)");
}

// A file system that is read-only, or full, is met only when the result is created.
TEST_F(HostileFilesTest, AResultFileThatCannotBeCreatedSaysWhy)
{
    test::writeToneWav(source_ / "a.wav", {.seconds = 1});
    EXPECT_EXIT(
        {
            test::refuseSyscalls({{SYS_openat, EROFS, 2, O_CREAT}, {SYS_open, EROFS, 1, O_CREAT}});
            convert({(source_ / "a.wav").string()});
            std::fprintf(stderr, "%s\n", completionOf("a.wav").c_str());
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(0), "Failed: cannot create the result file \\(Read-only file system\\)");
}

// NFS, many FUSE file systems and some USB sticks refuse renameat2(RENAME_NOREPLACE). The result
// still takes its place, and an existing file is still never replaced by surprise.
TEST_F(HostileFilesTest, ResultsArePlacedWithoutReplacingWhereTheFileSystemRefusesNoReplaceRenames)
{
    test::writeToneWav(source_ / "a.wav", {.seconds = 1});
    test::writeToneWav(source_ / "b.wav", {.seconds = 1});
    settings_.overwritePolicy = 2; // keep both
    const test::SyscallRule noReplaceRefused{SYS_renameat2, EINVAL, 4, RENAME_NOREPLACE};
    const struct {
        const char* fileSystem;
        std::vector<test::SyscallRule> refusals;
    } cases[] = {
        {"no RENAME_NOREPLACE", {noReplaceRefused}},
        {"no hard links either", {noReplaceRefused, {SYS_link, EPERM}, {SYS_linkat, EPERM}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fileSystem);
        settings_.destinationFolder = destination_ = home_.path() / c.fileSystem;
        writeText(destination_ / "b.mp3", "older b");
        EXPECT_EXIT(
            {
                if (!test::refuseSyscalls(c.refusals))
                    std::_Exit(2);
                convert({(source_ / "a.wav").string(), (source_ / "b.wav").string()});
                std::fprintf(stderr, "a=%s b=%s older=%s entries=%zu\n", completionOf("a.wav").c_str(),
                             completionOf("b.wav").c_str(), contentsOf(destination_ / "b.mp3").c_str(),
                             entriesOf(destination_).size());
                std::_Exit(fs::file_size(destination_ / "a.mp3") > 1000 && fs::file_size(destination_ / "b (1).mp3") > 1000
                               ? 0
                               : 1);
            },
            ::testing::ExitedWithCode(0), "a=Converted b=Converted older=older b entries=3");
    }
}

TEST_F(HostileFilesTest, AMissingTemporaryFolderDoesNotStopConversions)
{
    test::writeToneWav(source_ / "a.wav", {.seconds = 1});
    const char* saved = std::getenv("TMPDIR");
    const std::string previous = saved ? saved : "";
    ::setenv("TMPDIR", (home_.path() / "no-such-folder").c_str(), 1);
    convert({(source_ / "a.wav").string()});
    saved ? ::setenv("TMPDIR", previous.c_str(), 1) : ::unsetenv("TMPDIR");
    EXPECT_EQ(completionOf("a.wav"), "Converted");
}

// A process killed while converting leaves its work folder and its partial result; the next
// converter removes the work folder at once, and the partial when a list next writes there.
// Whatever a live process or another machine is writing stays.
TEST_F(HostileFilesTest, WhatAKilledProcessLeftIsSweptAndNothingElse)
{
    test::writeToneWav(source_ / "long.wav", {.seconds = 120});
    test::writeToneWav(source_ / "a.wav", {.seconds = 1});
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        convert({(source_ / "long.wav").string()});
        std::_Exit(0);
    }
    const auto partialAppeared = [&] {
        for (const std::string& name : entriesOf(destination_))
            if (name.ends_with(".part"))
                return true;
        return false;
    };
    for (int i = 0; i < 60000 && !(partialAppeared() && !entriesOf(workFoldersRoot()).empty()); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ASSERT_TRUE(partialAppeared());
    ASSERT_EQ(entriesOf(workFoldersRoot()).size(), 1u);
    const std::vector<std::string> kept{".sonvale-elsewhere.1-0123456789abcdef.part",
                                        ".sonvale-" + ProcessMark::own() + "-0123456789abcdef.part"};
    for (const std::string& name : kept)
        writeText(destination_ / name, "still being written");

    startConverter();
    EXPECT_TRUE(entriesOf(workFoldersRoot()).empty());
    convert({(source_ / "a.wav").string()});
    std::vector<std::string> expected = kept;
    expected.push_back("a.mp3");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(entriesOf(destination_), expected);
}

TEST_F(HostileFilesTest, SpecialFilesAreRefusedAtOnceGivenOrListed)
{
    ASSERT_EQ(::mkfifo((source_ / "pipe.wav").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo((source_ / "listed.wav").c_str(), 0600), 0);
    writeText(source_ / "list.m3u", "listed.wav\n");
    settings_.acceptPlaylists = true;
    convert({(source_ / "pipe.wav").string(), "/dev/zero", (source_ / "list.m3u").string()});
    std::vector<Item*> items;
    TQKitConversionListGetItems(list_, items);
    ASSERT_EQ(items.size(), 3u);
    for (const Item* item : items) {
        std::string text;
        TQKitConversionListItemCompletion(list_, item, &text);
        EXPECT_TRUE(text.starts_with("Failed: not a regular file (a")) << item->name() << ": " << text;
    }
}

TEST_F(HostileFilesTest, SourcesClaimingImpossibleStreamsAreRefused)
{
    test::writeToneWav(source_ / "slow.wav", {.seconds = 1, .sampleRate = 44100});
    std::string bytes = contentsOf(source_ / "slow.wav");
    bytes[24] = 1, bytes[25] = bytes[26] = bytes[27] = 0; // 1 Hz: hours of "audio"
    writeText(source_ / "slow.wav", bytes);
    test::writeToneWav(source_ / "fast.wav", {.seconds = 1});
    bytes = contentsOf(source_ / "fast.wav");
    bytes[24] = 0, bytes[25] = 0, bytes[26] = 0x10, bytes[27] = 0; // 1,048,576 Hz
    writeText(source_ / "fast.wav", bytes);
    convert({(source_ / "slow.wav").string(), (source_ / "fast.wav").string()});
    EXPECT_EQ(completionOf("slow.wav"), "Failed: the file claims an impossible sample rate (1 Hz)");
    EXPECT_EQ(completionOf("fast.wav"), "Failed: the file claims an impossible sample rate (1048576 Hz)");
}

TEST_F(HostileFilesTest, FileAddressesAreTakenAsTheirLocalFiles)
{
    test::writeToneWav(source_ / "two words.wav", {.seconds = 1});
    convert({"file://" + (source_ / "two%20words.wav").string(), "file://elsewhere.example/x.wav"});
    EXPECT_EQ(completionOf("two words.wav"), "Converted");
    EXPECT_TRUE(fs::exists(destination_ / "two words.mp3"));
    EXPECT_EQ(completionOf("x.wav"), "Failed: The file address names no local file");
}

// Clearing caches removes what dead processes left in the work folders and nothing else: not the
// folders of live processes or other machines, not other files of the cache folder, and never what
// a link points to, whether the link lies inside a dead folder or stands in for the work folders.
TEST_F(HostileFilesTest, ClearingCachesRemovesOnlyDeadWorkFoldersAndFollowsNoLink)
{
    const pid_t gone = ::fork();
    ASSERT_GE(gone, 0);
    if (gone == 0)
        std::_Exit(0);
    ::waitpid(gone, nullptr, 0);
    const std::string own = ProcessMark::own();
    const std::string deadMark = own.substr(0, own.rfind('.') + 1) + std::to_string(gone);

    const fs::path outside = home_.path() / "outside";
    writeText(outside / "keep.txt", "not Sonvale's");
    writeText(outside / "folder" / "keep.txt", "not Sonvale's");
    const fs::path work = workFoldersRoot();
    const fs::path dead = work / (deadMark + "-a1b2c3");
    writeText(dead / "download" / "part.bin", "left by a killed process");
    fs::create_symlink(outside / "keep.txt", dead / "to-file");
    fs::create_symlink(outside / "folder", dead / "to-folder");
    fs::create_directories(work / (own + "-d4e5f6"));
    fs::create_directories(work / "elsewhere.1-a1b2c3");
    writeText(sonvaleCacheDir() / "other.bin", "another cache");

    TQKitClearCaches();
    EXPECT_EQ(entriesOf(work), (std::vector<std::string>{"elsewhere.1-a1b2c3", own + "-d4e5f6"}));
    EXPECT_EQ(filesUnder(outside), (std::vector<std::string>{"folder/keep.txt", "keep.txt"}));
    EXPECT_TRUE(fs::exists(sonvaleCacheDir() / "other.bin"));

    // A link in place of the work folders is neither swept through nor written through.
    fs::remove_all(work);
    fs::create_directories(outside / (deadMark + "-a1b2c3"));
    fs::create_directory_symlink(outside, work);
    TQKitClearCaches();
    EXPECT_TRUE(fs::exists(outside / (deadMark + "-a1b2c3")));
    fs::path created;
    EXPECT_EQ(WorkFolders::create(created).message(), "cannot use the work folder " + work.string() + " (it is a link)");
    EXPECT_EQ(entriesOf(outside).size(), 3u); // nothing made there
}

// Takes away the powers to read and enter any folder, so that this process meets permissions as
// other users do even when it runs as root.
void dropReadAnyFolder()
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    ::syscall(SYS_capget, &header, data);
    data[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
    ::syscall(SYS_capset, &header, data);
}

// An unreadable folder was silently left out; the user then took the batch for the whole folder.
TEST_F(HostileFilesTest, AFolderThatCannotBeReadIsSaidNotSkipped)
{
    test::writeToneWav(source_ / "a.wav", {.seconds = 1});
    test::writeToneWav(source_ / "locked" / "b.wav", {.seconds = 1});
    ::chmod((source_ / "locked").c_str(), 0);
    EXPECT_EXIT(
        {
            dropReadAnyFolder();
            convert({source_.string()});
            std::vector<Item*> items;
            TQKitConversionListGetItems(list_, items);
            std::fprintf(stderr, "items=%zu a=%s locked=%s\n", items.size(), completionOf("a.wav").c_str(),
                         completionOf("locked").c_str());
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(0), "items=2 a=Converted locked=Failed: the folder cannot be read \\(Permission denied\\)");
    ::chmod((source_ / "locked").c_str(), 0700);
}

// A web server on the loopback interface that never ends its answers, or crawls.
class HostileServerTest : public HostileFilesTest {
protected:
    void SetUp() override
    {
        HostileFilesTest::SetUp();
        server_.http.Get("/endless.wav", [this](const httplib::Request&, httplib::Response& res) {
            res.set_chunked_content_provider("audio/wav", [this](size_t, httplib::DataSink& sink) {
                const std::string block(64 * 1024, 'x');
                while (!released_ && sink.write(block.data(), block.size())) {
                }
                return false;
            });
        });
        server_.http.Get("/crawl.wav", [this](const httplib::Request&, httplib::Response& res) {
            res.set_chunked_content_provider("audio/wav", [this](size_t, httplib::DataSink& sink) {
                while (!released_ && sink.write("x", 1))
                    std::this_thread::sleep_for(std::chrono::milliseconds(50));
                return false;
            });
        });
        server_.http.Get("/to-file", [](const httplib::Request&, httplib::Response& res) {
            res.set_redirect("file:///etc/passwd");
        });
        server_.http.Get("/to-ftp", [](const httplib::Request&, httplib::Response& res) {
            res.set_redirect("ftp://127.0.0.1/x.wav");
        });
        server_.start();
    }
    void TearDown() override
    {
        released_ = true;
        HostileFilesTest::TearDown();
    }
    std::string url(const std::string& path) const { return server_.url(path); }

    static constexpr DownloadLimits kTight{.maxBytes = 1 << 20, .stallBytesPerSecond = 1024, .stallSeconds = 1};
    std::atomic<bool> released_{false};
    test::LoopbackServer server_;
};

TEST_F(HostileServerTest, DownloadsThatNeverEndOrCrawlAreStoppedAndLeaveNoFile)
{
    const struct {
        const char* path;
        const char* message;
    } cases[] = {
        {"/endless.wav", "the download is larger than 1 MB, the most Sonvale downloads for one source"},
        {"/crawl.wav", "the download stalled (less than 1 KB a second for 1 seconds)"},
        {"/to-file", "download failed (only http and https addresses are followed)"},
        {"/to-ftp", "download failed (only http and https addresses are followed)"},
    };
    for (const auto& c : cases) {
        const fs::path file = home_.path() / "download";
        const Status status = UrlDownloader::download(url(c.path), file, std::atomic<bool>(false), {}, kTight);
        EXPECT_EQ(status.message(), c.message) << c.path;
        EXPECT_FALSE(fs::exists(file)) << c.path;
    }
}

TEST_F(HostileServerTest, AnEndlessSourceFailsItsItemWithTheBoundAndLeavesNothing)
{
    startConverter({.downloadLimits = kTight});
    convert({url("/endless.wav")});
    EXPECT_EQ(completionOf("endless.wav"),
              "Failed: the download is larger than 1 MB, the most Sonvale downloads for one source");
    EXPECT_TRUE(entriesOf(workFoldersRoot()).empty());
    EXPECT_TRUE(entriesOf(destination_).empty());
}

} // namespace
} // namespace sonvale::engine
