#include "platform/engine/TQKitConverter.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <thread>
#include <unistd.h>

#include "platform/engine/ServiceItemRunner.h"
#include "platform/engine/TQKitConversionList.h"
#include "tests/platform/engine/AudioTestFiles.h"
#include "tests/platform/engine/ListWatcher.h"
#include "tests/platform/engine/LoopbackServer.h"
#include "tests/support/TempHome.h"

namespace sonvale::engine {
namespace {

namespace fs = std::filesystem;
using Item = TQKitConversionListItem;

// The processes named `prefix`... whose parent is `parent`.
std::vector<pid_t> childrenNamed(pid_t parent, const std::string& prefix)
{
    std::vector<pid_t> pids;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        std::getline(stat, line);
        const auto close = line.rfind(')');
        const auto open = line.find('(');
        if (close == std::string::npos || open == std::string::npos)
            continue;
        const std::string comm = line.substr(open + 1, close - open - 1);
        char state;
        int ppid = 0;
        std::sscanf(line.c_str() + close + 2, "%c %d", &state, &ppid);
        if (ppid == parent && comm.rfind(prefix, 0) == 0)
            pids.push_back(std::stoi(name));
    }
    return pids;
}

// The host this test process started, which forks the services.
std::vector<pid_t> serviceHosts()
{
    return childrenNamed(getpid(), "sonvale-convert");
}

// The conversion services this test process runs right now.
std::vector<pid_t> runningServices()
{
    std::vector<pid_t> services;
    for (pid_t host : serviceHosts())
        for (pid_t service : childrenNamed(host, "sonvale-conv-"))
            services.push_back(service);
    return services;
}

class ConversionServiceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        source_ = home_.path() / "music";
        destination_ = home_.path() / "out";
        fs::create_directories(destination_);
        settings_.destinationFolder = destination_;
        settings_.output = {OutputFormat::Mp3, Mp3Options{.cbr = true, .cbrBitRate = 128}};
        TQKitConverterOptions options;
        options.runner = std::make_shared<ServiceItemRunner>(SONVALE_CONVERT_SERVICE);
        options.workers = 4;
        TQKitConverterCreateWithOptions(&converter_, options);
        TQKitConversionListCreate(&list_);
        watcher_ = std::make_unique<test::ListWatcher>(list_);
    }
    void TearDown() override
    {
        watcher_.reset();
        TQKitConverterDestroy(&converter_);
        TQKitConversionListRelease(list_);
    }

    void start(const std::vector<std::string>& sources)
    {
        TQKitConversionListSetBatchSettings(list_, settings_);
        TQKitConversionListAddSources(list_, sources, 0, 0);
        TQKitConversionStart(converter_, list_);
    }

    Item* item(const std::string& name)
    {
        std::vector<Item*> items;
        TQKitConversionListGetItems(list_, items);
        for (Item* i : items)
            if (i->name() == name)
                return i;
        return nullptr;
    }

    std::string completionOf(const std::string& name)
    {
        std::string text;
        TQKitConversionListItemCompletion(list_, item(name), &text);
        return text;
    }

    // Waits (without a time assertion) until the item is converting in a service.
    void waitUntilConverting(const std::string& name)
    {
        while (TQKitConversionListItemProgress(list_, item(name)) <= 0.0 && TQKitConversionListState(list_) != 4)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }

    bool partialFilesLeft() const
    {
        for (const auto& e : fs::recursive_directory_iterator(destination_))
            if (e.path().extension() == ".part")
                return true;
        return false;
    }

    test::TempHome home_;
    fs::path source_, destination_;
    BatchSettings settings_;
    TQKitConverter* converter_ = nullptr;
    TQKitConversionList* list_ = nullptr;
    std::unique_ptr<test::ListWatcher> watcher_;
};

TEST_F(ConversionServiceTest, AFolderOf200SmallFilesAndTwoBadOnesConvertsInServices)
{
    for (int i = 0; i < 200; ++i)
        test::writeToneWav(source_ / ("f" + std::to_string(i) + ".wav"), {.seconds = 0.05, .sampleRate = 8000, .channels = 1});
    test::writeRandomBytes(source_ / "noise.mp3", 50000);
    std::ofstream(source_ / "empty.flac").close();
    start({source_.string()});
    ASSERT_TRUE(watcher_->waitFinished());
    EXPECT_EQ(TQKitConversionListSucceededCount(list_), 200u);
    EXPECT_EQ(std::distance(fs::directory_iterator(destination_), fs::directory_iterator()), 200);
    for (const char* bad : {"noise.mp3", "empty.flac"})
        EXPECT_EQ(completionOf(bad).rfind("Failed: ", 0), 0u) << completionOf(bad);
    EXPECT_TRUE(TQKitConverterIsIdle(converter_));
    EXPECT_EQ(TQKitConverterProcessCount(converter_), 0);
}

TEST_F(ConversionServiceTest, AServiceKilledInMidItemFailsThatItemOnly)
{
    test::writeToneWav(source_ / "long.wav", {.seconds = 600, .sampleRate = 44100});
    test::writeToneWav(source_ / "short.wav", {.seconds = 0.5});
    start({(source_ / "long.wav").string(), (source_ / "short.wav").string()});
    waitUntilConverting("long.wav");
    while (TQKitConversionListItemStatus(list_, item("short.wav")) != Item::Completed)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(completionOf("short.wav"), "Converted");
    EXPECT_GT(TQKitConverterProcessCount(converter_), 0);
    EXPECT_FALSE(TQKitConverterIsIdle(converter_));
    for (pid_t pid : runningServices())
        kill(pid, SIGKILL);
    ASSERT_TRUE(watcher_->waitFinished());
    EXPECT_EQ(completionOf("long.wav"), "Failed: the conversion service crashed (signal 9)");
    EXPECT_EQ(TQKitConversionListItemCompletion(list_, item("long.wav"), nullptr), Item::kFailed);
    EXPECT_FALSE(partialFilesLeft());
    EXPECT_EQ(watcher_->states(), (std::vector<int32_t>{1, 2, 4}));
}

// The host that forks the services may be killed too: its running items fail, and the next
// items are served by a new host.
TEST_F(ConversionServiceTest, AKilledServiceHostIsReplacedForTheNextItems)
{
    test::writeToneWav(source_ / "long.wav", {.seconds = 600});
    test::writeToneWav(source_ / "next.wav", {.seconds = 0.5});
    start({(source_ / "long.wav").string()});
    waitUntilConverting("long.wav");
    const std::vector<pid_t> hosts = serviceHosts();
    ASSERT_EQ(hosts.size(), 1u);
    kill(hosts[0], SIGKILL);
    ASSERT_TRUE(watcher_->waitFinished());
    EXPECT_EQ(completionOf("long.wav"), "Failed: the conversion service ended without a result");
    EXPECT_FALSE(partialFilesLeft());

    TQKitConversionList* next = nullptr;
    TQKitConversionListCreate(&next);
    {
        test::ListWatcher watcher(next);
        TQKitConversionListSetBatchSettings(next, settings_);
        TQKitConversionListAddSources(next, {(source_ / "next.wav").string()}, 0, 0);
        TQKitConversionStart(converter_, next);
        ASSERT_TRUE(watcher.waitFinished());
    }
    EXPECT_EQ(TQKitConversionListSucceededCount(next), 1u);
    TQKitConversionListRelease(next);
    EXPECT_NE(serviceHosts(), hosts);
}

TEST_F(ConversionServiceTest, StopDuringAConversionReportsStoppingThenFinishedOnceAndLeavesNoPartialFile)
{
    test::writeToneWav(source_ / "long.wav", {.seconds = 600});
    test::writeToneWav(source_ / "later.wav", {.seconds = 0.5});
    settings_.output = {OutputFormat::Flac, FlacOptions{}};
    start({(source_ / "long.wav").string(), (source_ / "later.wav").string()});
    waitUntilConverting("long.wav");
    TQKitConversionListStop(list_);
    ASSERT_TRUE(watcher_->waitFinished());
    TQKitConversionListStop(list_);
    EXPECT_EQ(watcher_->states(), (std::vector<int32_t>{1, 2, 3, 4}));
    EXPECT_EQ(completionOf("long.wav"), "Stopped");
    EXPECT_FALSE(partialFilesLeft());
    EXPECT_EQ(TQKitConverterProcessCount(converter_), 0);
}

TEST_F(ConversionServiceTest, ARemovedItemCallbackIsNeverCalledAgain)
{
    test::writeToneWav(source_ / "long.wav", {.seconds = 300});
    struct Probe {
        std::atomic<bool> removed{false};
        std::atomic<int> calls{0}, lateCalls{0};
    } probe;
    start({(source_ / "long.wav").string()});
    TQKitConversionListItemSetCallback(list_, item("long.wav"), [](uint32_t, uintptr_t, void* context) {
        auto* p = static_cast<Probe*>(context);
        ++p->calls;
        if (p->removed)
            ++p->lateCalls;
        std::this_thread::sleep_for(std::chrono::milliseconds(2)); // widen the window
    }, &probe);
    while (probe.calls == 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    TQKitConversionListItemSetCallback(list_, item("long.wav"), nullptr, nullptr);
    probe.removed = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    TQKitConversionListDetach(list_); // stops the list and removes the list callback too
    while (TQKitConversionListState(list_) != TQKitConversionList::Finished)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_GT(probe.calls, 0);
    EXPECT_EQ(probe.lateCalls, 0);
}

// A small web server on the loopback interface for address sources.
class UrlSourceTest : public ConversionServiceTest {
protected:
    void SetUp() override
    {
        ConversionServiceTest::SetUp();
        test::writeToneWav(home_.path() / "served.wav", {.seconds = 1});
        std::ifstream in(home_.path() / "served.wav", std::ios::binary);
        body_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        server_.http.Get("/music/tone.wav", [this](const httplib::Request&, httplib::Response& res) {
            res.set_content(body_, "audio/wav");
        });
        server_.http.Get("/stall.wav", [this](const httplib::Request&, httplib::Response& res) {
            res.set_chunked_content_provider("audio/wav", [this](size_t, httplib::DataSink& sink) {
                sink.write(body_.data(), 1000);
                while (!released_)
                    std::this_thread::sleep_for(std::chrono::milliseconds(20));
                sink.done();
                return true;
            });
        });
        server_.start();
    }
    void TearDown() override
    {
        released_ = true;
        ConversionServiceTest::TearDown();
    }
    std::string url(const std::string& path) const { return server_.url(path); }

    std::atomic<bool> released_{false};
    test::LoopbackServer server_;
    std::string body_;
};

TEST_F(UrlSourceTest, AnAddressIsDownloadedFirstAndConverted)
{
    start({url("/music/tone.wav"), url("/missing.wav")});
    ASSERT_TRUE(watcher_->waitFinished());
    EXPECT_EQ(completionOf("tone.wav"), "Converted");
    EXPECT_TRUE(fs::exists(destination_ / "tone.mp3"));
    EXPECT_EQ(TQKitConversionListTotalBytes(list_), body_.size()) << "the size of the fetched copy counts";
    EXPECT_TRUE(TQKitConversionListItemHasFlag(list_, item("tone.wav"), Item::kRemote));
    EXPECT_EQ(completionOf("missing.wav").rfind("Failed: download failed", 0), 0u) << completionOf("missing.wav");
    EXPECT_TRUE(TQKitConversionListFlags(list_, 0) & TQKitConversionList::kHasRemote);
}

TEST_F(UrlSourceTest, StopEndsAStalledDownload)
{
    start({url("/stall.wav")});
    while (TQKitConversionListItemStatus(list_, item("stall.wav")) != Item::Opening)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    TQKitConversionListStop(list_);
    ASSERT_TRUE(watcher_->waitFinished());
    EXPECT_EQ(completionOf("stall.wav"), "Stopped");
}

} // namespace
} // namespace sonvale::engine
