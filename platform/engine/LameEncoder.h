#pragma once

#include <cstdio>
#include <vector>

#include "platform/engine/AudioEncoder.h"

struct lame_global_struct;

namespace sonvale::engine {

// MP3 through LAME itself: CBR with high quality, VBR with quality and bit-rate bounds, CRC and the
// channel modes. A VBR/CBR info frame is written at the start so players know the exact length.
class LameEncoder final : public AudioEncoder {
public:
    explicit LameEncoder(EncoderPlan plan);
    ~LameEncoder() override;
    LameEncoder(const LameEncoder&) = delete;
    LameEncoder& operator=(const LameEncoder&) = delete;

    Status open(const std::string& path) override;
    Status write(const double* samples, int frames) override;
    Status finish() override;
    std::vector<std::string> notes() const override;

private:
    Status configure();
    Status writeBuffer(int bytes);

    EncoderPlan plan_;
    lame_global_struct* lame_ = nullptr;
    std::FILE* file_ = nullptr;
    std::vector<unsigned char> buffer_;
};

} // namespace sonvale::engine
