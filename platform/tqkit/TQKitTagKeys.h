#pragma once

// The tag keys that patterns name ("{{artist}}"), with the texts the pattern menus show, the tag
// identifiers that name the same fields between the application and the conversion engine, the
// digits a number key may be written with, and a sample value for the pattern editor's example.
// Keys match without regard to case ("trackNumber" and "tracknumber" are one key). The table is
// constant; any thread.

#include <cstdint>
#include <span>
#include <string_view>

struct TQKitTagKey {
    const char* name;        // canonical spelling, as the menus insert it
    const char* displayText; // what menus and token chips show
    uint32_t tagId;          // tag identifier of the same field, 0 when it has none
    int minDigits;           // number keys: the digits offered (0 for other keys)
    int maxDigits;
    const char* sample;      // the value the pattern editor's example shows
    bool inMenu;             // offered by the menu of all tokens
};

// Every key, the menu's in menu order first; an entry with a null name is a separator of the menu.
std::span<const TQKitTagKey> TQKitTagKeys();

// The key of that name, ignoring case; null for an unknown name or a separator.
const TQKitTagKey* TQKitTagKeyFind(std::string_view name);

// The name under which a tag field travels in a tag list (the key's canonical name); null for an
// identifier that names no field.
const char* TQKitTagName(uint32_t tagId);
