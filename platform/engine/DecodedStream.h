#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/engine/AudioDecoder.h"
#include "platform/engine/AudioResampler.h"
#include "platform/engine/FfmpegHandles.h"
#include "platform/engine/SourceSpan.h"

namespace sonvale::engine {

// A source's audio (or one span of it) as interleaved 64-bit float blocks at the output rate. A pass of
// the conversion (the analysis or the render) reads one stream from start to end. One thread.
class DecodedStream final {
public:
    explicit DecodedStream(const std::atomic<bool>* stopFlag) : decoder_(stopFlag) {}

    // For a span, info() describes the span: its duration, not the image's.
    Status open(const std::string& path, const std::optional<SourceSpan>& span);
    const SourceInfo& info() const { return info_; }
    // The rate and channels blocks are read in; `channelMask` as AudioResampler takes it.
    void startOutput(int sampleRate, int channels, uint64_t channelMask);

    // Replaces `samples` with the next block; sets `end` once everything (the resampler's tail too)
    // has been handed out.
    Status read(std::vector<double>& samples, bool& end);
    // How far the stream has been read, 0..1; 0 when the length is unknown.
    double fraction() const;
    // After the end: fails for a source that decoded to nothing or to much less than it promised.
    Status checkComplete(int64_t framesHandedOut) const;

private:
    // Cuts the decoded frame to the span (and the stream's exact length); false when nothing of it
    // belongs there.
    bool cutToSpan(AVFrame* frame);

    AudioDecoder decoder_;
    AudioResampler resampler_;
    FramePtr frame_;
    SourceInfo info_;
    std::optional<SourceSpan> span_;
    int64_t spanStart_ = 0;                // in source samples
    std::optional<int64_t> spanEnd_;       // in source samples: the span's end or the stream's exact length
    int64_t sourcePosition_ = 0;           // source samples decoded so far
    bool drained_ = false;
    bool seeked_ = false;                  // the next frame's time stamp tells where the decoder is
};

} // namespace sonvale::engine
