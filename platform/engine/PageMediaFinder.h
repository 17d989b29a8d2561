#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "platform/engine/BoundedCommand.h"
#include "platform/engine/PageMedia.h"
#include "platform/system/Status.h"

namespace sonvale::engine {

// Finds the media of a web page with yt-dlp, run as a separate program (never through a shell)
// within a time bound; yt-dlp only reads the page and names what it finds, it writes no file.
// A page yt-dlp knows nothing of may still link media files (<a href="song.mp3">): those are
// taken from the page's text, which the caller has downloaded under its own bounds.
class PageMediaFinder final {
public:
    struct Options {
        std::string program = "yt-dlp";
        BoundedCommand::Limits limits;
    };

    // `found` gets every media item of the page in its order, a playlist page giving several. A page
    // without media fails with "no audio found on this web page" and says why where that helps.
    static Status find(const std::string& pageUrl, const std::string& pageText, const std::atomic<bool>& stop,
                       std::vector<PageMedia>& found, const Options& options);

    // The name an item and its result take from the media: its title with the extension of its
    // address, or the last part of that address.
    static std::string fileNameOf(const PageMedia& media);

    // What yt-dlp's single JSON answer names: one item, or the entries of a playlist.
    static std::vector<PageMedia> parseExtractorAnswer(const std::string& json);
    // Links and sources of the page that name media files, resolved against the page's address.
    static std::vector<PageMedia> linkedMedia(const std::string& pageUrl, const std::string& pageText);
};

} // namespace sonvale::engine
