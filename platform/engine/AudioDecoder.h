#pragma once

#include <atomic>
#include <optional>
#include <string>

#include "platform/engine/FfmpegHandles.h"
#include "platform/engine/SourceInfo.h"
#include "platform/system/Status.h"

namespace sonvale::engine {

// Reads the best audio stream of a file and hands out decoded frames, one at a time.
// Owned by one pipeline run on one thread. A set stop flag interrupts blocking reads.
class AudioDecoder final {
public:
    explicit AudioDecoder(const std::atomic<bool>* stopFlag = nullptr) : stopFlag_(stopFlag) {}

    Status open(const std::string& path);
    const SourceInfo& info() const { return info_; }

    // Fills `frame` with the next decoded frame, or sets `endOfStream` once the decoder is drained.
    Status nextFrame(AVFrame* frame, bool& endOfStream);

    // Seconds decoded so far, from the time stamps of the frames handed out.
    double positionSeconds() const { return position_; }

    // Moves to a point at or before source sample `sample`, for codecs whose frames carry exact
    // sample positions (FLAC, PCM); false (and nothing moved) for any other, or when the file
    // can't seek. Only before the first frame has been taken.
    bool seekBefore(int64_t sample);
    // The source sample at which a decoded frame starts; none without a time stamp.
    std::optional<int64_t> frameStart(const AVFrame* frame) const;

private:
    Status openInput(const std::string& path);
    Status openStream();
    void describeSource(const std::string& path);
    // Sends the next packet of our stream to the decoder; sets `flushed` once the input ended.
    Status sendNextPacket();

    const std::atomic<bool>* stopFlag_;
    InputFormatPtr format_;
    CodecContextPtr codec_;
    PacketPtr packet_;
    int streamIndex_ = -1;
    bool inputEnded_ = false;
    double position_ = 0;
    double decoded_ = 0;
    SourceInfo info_;
};

} // namespace sonvale::engine
