#pragma once

#include <string>

namespace sonvale::engine {

// One piece of audio or video a web page offers, with what the page says of it; the texts are the
// page's own, to be trusted with nothing (they become tags, never paths or commands).
struct PageMedia {
    std::string url; // http or https
    std::string title;
    std::string artist;
    std::string year;
};

} // namespace sonvale::engine
