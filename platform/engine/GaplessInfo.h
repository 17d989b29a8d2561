#pragma once

#include <cstdint>

namespace sonvale::engine {

// Where the real audio lies in an encoded stream whose coder adds samples at both ends (AAC): the
// priming samples before it, the padding after it, and its own length. Players that honour it
// (from the MP4 edit list or the iTunSMPB tag) play the source's samples and nothing else.
struct GaplessInfo {
    int64_t priming = 0;
    int64_t padding = 0;
    int64_t frames = 0;
};

} // namespace sonvale::engine
