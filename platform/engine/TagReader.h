#pragma once

#include <string>

#include "platform/engine/TagSet.h"

namespace sonvale::engine {

// Reads the tags and the front cover of an audio file through TagLib, whatever its format.
// A file without tags, or one TagLib cannot read, gives an empty set.
class TagReader final {
public:
    static TagSet read(const std::string& path);
};

} // namespace sonvale::engine
