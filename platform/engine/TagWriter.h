#pragma once

#include <string>

#include "platform/engine/EncoderPlan.h"
#include "platform/engine/TagSet.h"
#include "platform/system/Status.h"

namespace sonvale::engine {

// Writes a tag set into a result file of the plan's format, in the tag layout its options ask for,
// replacing whatever tags the file had; an empty set leaves the file without tags (strip).
class TagWriter final {
public:
    static Status write(const std::string& path, const TagSet& tags, const EncoderPlan& plan);
};

} // namespace sonvale::engine
