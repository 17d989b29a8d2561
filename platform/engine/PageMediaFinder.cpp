#include "platform/engine/PageMediaFinder.h"

#include <algorithm>
#include <cctype>
#include <curl/curl.h>
#include <initializer_list>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <string_view>

#include "platform/engine/SourceScanner.h"

namespace sonvale::engine {
namespace {

using nlohmann::json;

std::string textOf(const json& object, const char* key)
{
    const auto it = object.find(key);
    return it != object.end() && it->is_string() ? it->get<std::string>() : std::string();
}

std::optional<PageMedia> mediaOf(const json& entry)
{
    if (!entry.is_object())
        return std::nullopt;
    PageMedia media{textOf(entry, "url"), textOf(entry, "title"), textOf(entry, "uploader"), {}};
    const std::string date = textOf(entry, "upload_date"); // YYYYMMDD
    if (date.size() >= 4)
        media.year = date.substr(0, 4);
    if (!SourceScanner::isRemote(media.url))
        return std::nullopt;
    return media;
}

// `relative` read against `base`, as a browser would; empty when it names no http or https address.
std::string resolved(const std::string& base, const std::string& relative)
{
    struct UrlDeleter {
        void operator()(CURLU* u) const { curl_url_cleanup(u); }
    };
    std::unique_ptr<CURLU, UrlDeleter> url(curl_url());
    char* text = nullptr;
    if (!url || curl_url_set(url.get(), CURLUPART_URL, base.c_str(), 0) != CURLUE_OK
        || curl_url_set(url.get(), CURLUPART_URL, relative.c_str(), 0) != CURLUE_OK
        || curl_url_get(url.get(), CURLUPART_URL, &text, 0) != CURLUE_OK)
        return {};
    const std::string out = text;
    curl_free(text);
    return SourceScanner::isRemote(out) ? out : std::string();
}

std::string withoutQuery(const std::string& url)
{
    return url.substr(0, url.find_first_of("?#"));
}

std::string decodedEntities(std::string text)
{
    for (const auto& [entity, plain] : {std::pair{"&amp;", "&"}, {"&quot;", "\""}, {"&#39;", "'"}})
        for (size_t at = text.find(entity); at != std::string::npos; at = text.find(entity, at + 1))
            text.replace(at, std::char_traits<char>::length(entity), plain);
    return text;
}

// The quoted values of the attributes with these names, in the order of the text. A plain scan, not
// a regular expression: a hostile page may hold values of any length.
std::vector<std::string> quotedAttributeValues(const std::string& text, std::initializer_list<std::string_view> names)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    std::vector<std::pair<size_t, std::string>> values;
    for (const std::string_view name : names) {
        for (size_t at = lower.find(name); at != std::string::npos; at = lower.find(name, at + 1)) {
            if (at > 0 && std::isalnum((unsigned char)lower[at - 1]))
                continue; // part of a longer name ("data-src")
            size_t i = lower.find_first_not_of(" \t\r\n", at + name.size());
            if (i == std::string::npos || lower[i] != '=')
                continue;
            i = lower.find_first_not_of(" \t\r\n", i + 1);
            if (i == std::string::npos || (lower[i] != '"' && lower[i] != '\''))
                continue;
            const size_t close = lower.find(lower[i], i + 1);
            if (close != std::string::npos)
                values.emplace_back(at, text.substr(i + 1, close - i - 1));
        }
    }
    std::sort(values.begin(), values.end());
    std::vector<std::string> out;
    for (auto& [at, value] : values)
        out.push_back(std::move(value));
    return out;
}

} // namespace

std::string PageMediaFinder::fileNameOf(const PageMedia& media)
{
    const std::string path = withoutQuery(media.url);
    const size_t slash = path.find_last_of('/');
    const std::string last = slash == std::string::npos ? path : path.substr(slash + 1);
    if (media.title.empty())
        return last.empty() ? "Untitled" : last;
    const size_t dot = last.find_last_of('.');
    return media.title + (dot == std::string::npos ? std::string() : last.substr(dot));
}

std::vector<PageMedia> PageMediaFinder::parseExtractorAnswer(const std::string& text)
{
    const json answer = json::parse(text, nullptr, false);
    std::vector<PageMedia> found;
    if (!answer.is_object())
        return found;
    if (textOf(answer, "_type") == "playlist") {
        if (const auto entries = answer.find("entries"); entries != answer.end() && entries->is_array())
            for (const json& entry : *entries)
                if (auto media = mediaOf(entry))
                    found.push_back(std::move(*media));
    } else if (auto media = mediaOf(answer)) {
        found.push_back(std::move(*media));
    }
    return found;
}

std::vector<PageMedia> PageMediaFinder::linkedMedia(const std::string& pageUrl, const std::string& pageText)
{
    std::vector<PageMedia> found;
    std::set<std::string> seen;
    for (const std::string& value : quotedAttributeValues(pageText, {"href", "src"})) {
        const std::string target = resolved(pageUrl, decodedEntities(value));
        if (!target.empty() && SourceScanner::isMediaFile(withoutQuery(target)) && seen.insert(target).second)
            found.push_back({target, {}, {}, {}});
    }
    return found;
}

Status PageMediaFinder::find(const std::string& pageUrl, const std::string& pageText, const std::atomic<bool>& stop,
                             std::vector<PageMedia>& found, const Options& options)
{
    // The address goes after "--": whatever it holds, yt-dlp never takes it for an option.
    const BoundedCommand::Result run = BoundedCommand::run(
        {options.program, "--ignore-config", "--no-cache-dir", "--no-warnings", "--no-progress", "--dump-single-json",
         "--format", "bestaudio/best", "--socket-timeout", "30", "--", pageUrl},
        stop, options.limits);
    using Outcome = BoundedCommand::Outcome;
    if (run.outcome == Outcome::Stopped)
        return Status::failure("stopped");
    found = run.outcome == Outcome::Finished && run.exitCode == 0 ? parseExtractorAnswer(run.output)
                                                                   : std::vector<PageMedia>{};
    if (found.empty())
        found = linkedMedia(pageUrl, pageText);
    if (!found.empty())
        return Status::success();
    switch (run.outcome) {
    case Outcome::NotFound:
        return Status::failure("no audio found on this web page (yt-dlp, which looks for it, is not installed)");
    case Outcome::TimedOut:
        return Status::failure("no audio found on this web page (looking for it took too long)");
    default:
        return Status::failure("no audio found on this web page");
    }
}

} // namespace sonvale::engine
