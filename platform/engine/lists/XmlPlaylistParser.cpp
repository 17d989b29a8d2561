#include "platform/engine/lists/XmlPlaylistParser.h"

#include "platform/engine/lists/ListText.h"
#include "platform/engine/lists/PlaylistEntryCollector.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <climits>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>

namespace sonvale::lists {
namespace {

struct DocDeleter {
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
using DocPtr = std::unique_ptr<xmlDoc, DocDeleter>;

// libxml2 wants one initialisation before threads use it.
void initialiseLibxml()
{
    static std::once_flag once;
    std::call_once(once, [] { xmlInitParser(); });
}

std::string_view nameOf(const xmlNode* node)
{
    return node->name ? reinterpret_cast<const char*>(node->name) : std::string_view();
}

bool nameIs(const xmlNode* node, std::string_view name, bool ignoreCase)
{
    const std::string_view actual = nameOf(node);
    return ignoreCase ? text::equalsIgnoringCase(actual, name) : actual == name;
}

// The element children of `parent` named `name`, in order; `visit` returns false to stop.
template <typename Visit>
void forEachChild(const xmlNode* parent, std::string_view name, bool ignoreCase, Visit visit)
{
    for (const xmlNode* child = parent ? parent->children : nullptr; child; child = child->next) {
        if (child->type == XML_ELEMENT_NODE && nameIs(child, name, ignoreCase) && !visit(child))
            return;
    }
}

const xmlNode* firstChild(const xmlNode* parent, std::string_view name, bool ignoreCase = false)
{
    const xmlNode* found = nullptr;
    forEachChild(parent, name, ignoreCase, [&](const xmlNode* child) {
        found = child;
        return false;
    });
    return found;
}

// The text directly inside an element. Entity references are left out rather than expanded, so
// a declared entity can never blow up.
std::string textOf(const xmlNode* element)
{
    std::string content;
    for (const xmlNode* child = element ? element->children : nullptr; child; child = child->next) {
        if ((child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) &&
            child->content)
            content += reinterpret_cast<const char*>(child->content);
    }
    return std::string(text::trimmed(content));
}

std::string attributeOf(const xmlNode* element, std::string_view name, bool ignoreCase = false)
{
    for (const xmlAttr* attribute = element->properties; attribute; attribute = attribute->next) {
        if (nameIs(reinterpret_cast<const xmlNode*>(attribute), name, ignoreCase)) {
            std::string value;
            for (const xmlNode* child = attribute->children; child; child = child->next) {
                if (child->type == XML_TEXT_NODE && child->content)
                    value += reinterpret_cast<const char*>(child->content);
            }
            return value;
        }
    }
    return {};
}

std::optional<int64_t> millisecondsOf(const std::string& text)
{
    char* end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (text.empty() || end == text.c_str() || value < 0 || value == LLONG_MAX)
        return std::nullopt;
    return value;
}

// <playlist><trackList><track><location/><title/><creator/><duration/></track>...
Status parseXspf(const xmlNode* root, PlaylistEntryCollector& collector)
{
    if (!nameIs(root, "playlist", false))
        return Status::failure("The XSPF list has no <playlist> element");
    forEachChild(firstChild(root, "trackList"), "track", false, [&](const xmlNode* track) {
        RawPlaylistEntry entry;
        entry.location = textOf(firstChild(track, "location"));
        entry.title = textOf(firstChild(track, "title"));
        const std::string creator = textOf(firstChild(track, "creator"));
        if (!creator.empty() && !entry.title.empty())
            entry.title = creator + " - " + entry.title;
        entry.durationMs = millisecondsOf(textOf(firstChild(track, "duration")));
        entry.isUri = true;
        return collector.add(std::move(entry));
    });
    return collector.status();
}

// <smil><body><seq><media src="..."/>...
Status parseWpl(const xmlNode* root, PlaylistEntryCollector& collector)
{
    if (!nameIs(root, "smil", false))
        return Status::failure("The WPL list has no <smil> element");
    forEachChild(firstChild(firstChild(root, "body"), "seq"), "media", false,
                 [&](const xmlNode* media) {
                     return collector.add(RawPlaylistEntry{attributeOf(media, "src"), {},
                                                           std::nullopt, false});
                 });
    return collector.status();
}

// <asx><entry><title/><ref href="..."/></entry>...; names in any case, as such files are written.
// An entry's first reference is its item; the others are fallbacks of the same item.
Status parseAsx(const xmlNode* root, PlaylistEntryCollector& collector)
{
    if (!nameIs(root, "asx", true))
        return Status::failure("The ASX list has no <asx> element");
    for (const xmlNode* child = root->children; child; child = child->next) {
        if (child->type != XML_ELEMENT_NODE)
            continue;
        RawPlaylistEntry entry;
        entry.isUri = true;
        if (nameIs(child, "entry", true)) {
            const xmlNode* ref = firstChild(child, "ref", true);
            entry.location = ref ? attributeOf(ref, "href", true) : std::string();
            entry.title = textOf(firstChild(child, "title", true));
        } else if (nameIs(child, "entryref", true)) {
            entry.location = attributeOf(child, "href", true);
        }
        if (!collector.add(std::move(entry)))
            break;
    }
    return collector.status();
}

// <plist><dict><key>URL</key><string>...</string></dict></plist>
Status parseWebloc(const xmlNode* root, PlaylistEntryCollector& collector)
{
    const xmlNode* dict = nameIs(root, "plist", false) ? firstChild(root, "dict") : nullptr;
    bool urlKeySeen = false;
    std::string url;
    forEachChild(dict, "key", false, [&](const xmlNode* key) {
        if (textOf(key) != "URL")
            return true;
        urlKeySeen = true;
        const xmlNode* value = key->next;
        while (value && value->type != XML_ELEMENT_NODE)
            value = value->next;
        if (value && nameIs(value, "string", false))
            url = textOf(value);
        return false;
    });
    if (!urlKeySeen || url.empty())
        return Status::failure("The shortcut names no address");
    collector.add(RawPlaylistEntry{url, {}, std::nullopt, true});
    return Status::success();
}

} // namespace

bool XmlPlaylistParser::handles(PlaylistKind kind)
{
    return kind == PlaylistKind::Xspf || kind == PlaylistKind::Wpl || kind == PlaylistKind::Asx ||
           kind == PlaylistKind::Webloc;
}

Status XmlPlaylistParser::parse(PlaylistKind kind, std::string_view bytes,
                                std::vector<RawPlaylistEntry>& entries)
{
    if (kind == PlaylistKind::Webloc && bytes.starts_with("bplist"))
        return Status::failure("Binary property lists are not supported; save the shortcut as XML");
    if (bytes.size() > static_cast<size_t>(INT_MAX))
        return Status::failure("The list is too large");
    initialiseLibxml();
    // Recovery keeps what can be read of the sloppy XML that ASX files are known for.
    const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING |
                        XML_PARSE_NOCDATA | XML_PARSE_RECOVER;
    const DocPtr doc(xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr,
                                   options));
    const xmlNode* root = doc ? xmlDocGetRootElement(doc.get()) : nullptr;
    if (!root)
        return Status::failure("The list is not readable XML");

    PlaylistEntryCollector collector(entries);
    switch (kind) {
    case PlaylistKind::Xspf:
        return parseXspf(root, collector);
    case PlaylistKind::Wpl:
        return parseWpl(root, collector);
    case PlaylistKind::Asx:
        return parseAsx(root, collector);
    case PlaylistKind::Webloc:
        return parseWebloc(root, collector);
    default:
        return Status::failure("Not an XML list");
    }
}

} // namespace sonvale::lists
