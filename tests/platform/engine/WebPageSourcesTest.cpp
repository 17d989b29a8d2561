// Addresses of web pages as sources: their media found with yt-dlp (or by their links), fetched
// under the download bounds and converted; served from the loopback interface only.

#include <gtest/gtest.h>

#include <atomic>

#include "platform/engine/PageMediaFinder.h"
#include "platform/engine/TagReader.h"
#include "tests/platform/engine/AudioTestFiles.h"
#include "tests/platform/engine/ConverterFixture.h"
#include "tests/platform/engine/LoopbackServer.h"

namespace sonvale::engine {
namespace {

std::string page(const std::string& title, const std::string& body)
{
    return "<!DOCTYPE html><html><head><title>" + title + "</title></head><body>" + body + "</body></html>";
}

class WebPageSourcesTest : public ConverterFixture {
protected:
    void SetUp() override
    {
        ConverterFixture::SetUp();
        test::writeToneWav(home_.path() / "song.wav", {.seconds = 1});
        const std::string song = contentsOf(home_.path() / "song.wav");
        for (const char* name : {"/song.wav", "/other.wav"})
            server_.http.Get(name, [this, song](const httplib::Request&, httplib::Response& res) {
                ++mediaRequests_;
                res.set_content(song, "audio/wav");
            });
        server_.http.Get("/endless.wav", [this](const httplib::Request&, httplib::Response& res) {
            res.set_chunked_content_provider("audio/wav", [this](size_t, httplib::DataSink& sink) {
                const std::string block(64 * 1024, 'x');
                while (!released_ && sink.write(block.data(), block.size())) {
                }
                return false;
            });
        });
        const std::pair<const char*, std::string> pages[] = {
            {"/embed.html", page("Live Session", R"(<audio controls src="song.wav"></audio>)")},
            {"/link.html", page("Downloads", R"(<p><a href="/song.wav?from=page">the song</a></p>)")},
            {"/none.html", page("Nothing", "<p>No audio here.</p>")},
            {"/two.html", page("Two Songs", R"(<audio src="song.wav"></audio><audio src="other.wav"></audio>)")},
            {"/endless.html", page("Never Ends", R"(<audio src="endless.wav"></audio>)")},
            {"/hostile.html", page(R"(&quot;Quoted&quot; 'single' $(touch PWNED) `touch PWNED` ../../escape)",
                                   R"(<audio src="song.wav"></audio>)")},
        };
        for (const auto& [path, text] : pages)
            server_.http.Get(path, [text](const httplib::Request&, httplib::Response& res) {
                res.set_content(text, "text/html; charset=utf-8");
            });
        server_.start();
    }
    void TearDown() override
    {
        released_ = true;
        ConverterFixture::TearDown();
    }

    std::string url(const std::string& path) const { return server_.url(path); }

    // Converts the sources added with `flagsWord`, to the end.
    void convertWithFlags(const std::vector<std::string>& sources, uint32_t flagsWord)
    {
        startConverter();
        TQKitConversionListCreate(&list_);
        TQKitConversionListSetBatchSettings(list_, settings_);
        watcher_ = std::make_unique<test::ListWatcher>(list_);
        TQKitConversionListAddSources(list_, sources, flagsWord, 0);
        TQKitConversionStart(converter_, list_);
        ASSERT_TRUE(watcher_->waitFinished());
    }

    std::vector<std::string> completions() const
    {
        std::vector<Item*> items;
        TQKitConversionListGetItems(list_, items);
        std::vector<std::string> texts;
        for (const Item* item : items) {
            std::string text;
            TQKitConversionListItemCompletion(list_, item, &text);
            texts.push_back(text);
        }
        return texts;
    }

    std::atomic<int> mediaRequests_{0};
    std::atomic<bool> released_{false};
    test::LoopbackServer server_;
};

TEST_F(WebPageSourcesTest, PagesThatEmbedOrLinkAudioConvertLikeADirectAddress)
{
    convert({url("/embed.html"), url("/link.html"), url("/song.wav")});
    EXPECT_EQ(completions(), (std::vector<std::string>{"Converted", "Converted", "Converted"}));
    const std::vector<std::string> results = filesUnder(destination_);
    ASSERT_EQ(results.size(), 3u);
    // The generic extractor names the embedded audio after the page.
    const auto embedded = std::find_if(results.begin(), results.end(),
                                       [](const std::string& name) { return name.starts_with("Live Session"); });
    ASSERT_NE(embedded, results.end());
    EXPECT_TRUE(TagReader::read((destination_ / *embedded).string()).value("TITLE").starts_with("Live Session"));
    // The page's item keeps the address the user entered.
    std::vector<Item*> items;
    TQKitConversionListGetItems(list_, items);
    EXPECT_EQ(items[0]->sourcePath(), url("/embed.html"));
}

TEST_F(WebPageSourcesTest, APlaylistPageGivesAnItemForEachOfItsMedia)
{
    convert({url("/two.html")});
    EXPECT_EQ(completions(), (std::vector<std::string>{"Converted", "Converted"}));
    EXPECT_EQ(filesUnder(destination_).size(), 2u);
    std::vector<Item*> items;
    TQKitConversionListGetItems(list_, items);
    for (const Item* item : items)
        EXPECT_EQ(item->sourcePath(), url("/two.html"));
}

TEST_F(WebPageSourcesTest, APageWithoutAudioOrWithExtractionOffFailsInWordsAndFetchesNoMedia)
{
    convert({url("/none.html")});
    EXPECT_EQ(completionOf("none.html"), "Failed: no audio found on this web page");
    releaseList();

    convertWithFlags({url("/embed.html")}, TQKitConversionListItem::kNoWebPages);
    EXPECT_EQ(completionOf("embed.html"),
              "Failed: the address is a web page, and taking audio from web pages is turned off");
    EXPECT_EQ(mediaRequests_.load(), 0);
    EXPECT_TRUE(filesUnder(destination_).empty());
}

TEST_F(WebPageSourcesTest, WithoutTheExtractorPagesStillFailInWords)
{
    startConverter({.pageFinder = {.program = "sonvale-no-such-extractor"}});
    convert({url("/none.html"), url("/embed.html")});
    EXPECT_EQ(completionOf("none.html"),
              "Failed: no audio found on this web page (yt-dlp, which looks for it, is not installed)");
    EXPECT_EQ(completionOf("embed.html"), "Converted"); // its <audio src> is found all the same
}

TEST_F(WebPageSourcesTest, APageWhoseMediaNeverEndsIsStoppedByTheDownloadBounds)
{
    startConverter({.downloadLimits = {.maxBytes = 1 << 20, .stallBytesPerSecond = 1024, .stallSeconds = 5}});
    convert({url("/endless.html")});
    EXPECT_EQ(completionOf("endless.html"),
              "Failed: the download is larger than 1 MB, the most Sonvale downloads for one source");
    EXPECT_TRUE(filesUnder(destination_).empty());
}

// A page's title reaches the extractor's answer and the result's name and tags: it runs nothing
// and names no file outside the destination.
TEST_F(WebPageSourcesTest, AHostilePageTitleRunsNothingAndStaysInTheDestination)
{
    const fs::path before = fs::current_path();
    fs::current_path(home_.path());
    convert({url("/hostile.html")});
    fs::current_path(before);
    EXPECT_EQ(completionOf("hostile.html"), "Converted");
    EXPECT_FALSE(fs::exists(home_.path() / "PWNED"));
    const std::vector<std::string> results = filesUnder(destination_);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].find('/'), std::string::npos) << results[0];
    EXPECT_TRUE(results[0].find("Quoted") != std::string::npos) << results[0];
    for (const auto& entry : fs::directory_iterator(home_.path()))
        EXPECT_FALSE(entry.path().filename().string().find("escape") != std::string::npos) << entry.path();
    EXPECT_TRUE(TagReader::read((destination_ / results[0]).string()).value("TITLE").find("$(touch PWNED)")
                != std::string::npos);
}

TEST(PageMediaFinderTest, LinksToMediaAreResolvedAgainstThePageAndOthersLeftOut)
{
    const std::string text = R"(<a href="a.mp3">a</a> <a href='/b/c.flac?x=1&amp;y=2'>c</a> <img src="p.png">
        <a href="https://other.example/d.ogg">d</a> <a href="ftp://x/e.mp3">e</a> <a href="a.mp3">again</a>)";
    std::vector<std::string> urls;
    for (const PageMedia& media : PageMediaFinder::linkedMedia("http://127.0.0.1:8/music/page.html", text))
        urls.push_back(media.url);
    EXPECT_EQ(urls, (std::vector<std::string>{"http://127.0.0.1:8/music/a.mp3", "http://127.0.0.1:8/b/c.flac?x=1&y=2",
                                              "https://other.example/d.ogg"}));
}

} // namespace
} // namespace sonvale::engine
