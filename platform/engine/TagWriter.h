#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/engine/EncoderPlan.h"
#include "platform/engine/GaplessInfo.h"
#include "platform/engine/TagSet.h"
#include "platform/system/Status.h"

namespace sonvale::engine {

// Writes a tag set into a result file of the plan's format, in the tag layout its options ask for,
// replacing whatever tags the file had; an empty set leaves the file without tags (strip). The
// gapless information of an AAC result is written whatever the tags (iTunSMPB), since players
// need it to play the file as long as it is. What could not be written is added to `notes`.
class TagWriter final {
public:
    static Status write(const std::string& path, const TagSet& tags, const EncoderPlan& plan,
                        const std::optional<GaplessInfo>& gapless, std::vector<std::string>& notes);
};

} // namespace sonvale::engine
