#include "platform/engine/DecodedStream.h"

#include <algorithm>
#include <limits>

#include "platform/engine/lists/CueSheet.h"

extern "C" {
#include <libavutil/samplefmt.h>
}

namespace sonvale::engine {
namespace {

// Moves the start of a decoded frame `skip` samples on and keeps `keep` of them. The frame keeps
// its buffers (they are referenced through buf[], not through the data pointers).
void trimFrame(AVFrame* frame, int skip, int keep)
{
    const auto format = AVSampleFormat(frame->format);
    const int channels = frame->ch_layout.nb_channels;
    const bool planar = av_sample_fmt_is_planar(format);
    const int planes = planar ? channels : 1;
    const ptrdiff_t offset = ptrdiff_t(skip) * av_get_bytes_per_sample(format) * (planar ? 1 : channels);
    const bool shared = frame->extended_data == frame->data;
    for (int i = 0; i < planes; ++i) {
        frame->extended_data[i] += offset;
        if (!shared && i < AV_NUM_DATA_POINTERS)
            frame->data[i] += offset;
    }
    frame->nb_samples = keep;
}

} // namespace

Status DecodedStream::open(const std::string& path, const std::optional<SourceSpan>& span)
{
    frame_.reset(av_frame_alloc());
    if (!frame_)
        return Status::failure("out of memory");
    if (Status s = decoder_.open(path); !s)
        return s;
    info_ = decoder_.info();
    span_ = span;
    spanEnd_ = info_.lengthFrames;
    if (!span_)
        return Status::success();
    const int rate = std::max(1, info_.sampleRate);
    spanStart_ = lists::CueTrack::framesToSamples(span_->startFrame, rate);
    if (span_->endFrame)
        spanEnd_ = std::min(lists::CueTrack::framesToSamples(*span_->endFrame, rate),
                            spanEnd_.value_or(std::numeric_limits<int64_t>::max()));
    const double start = double(spanStart_) / rate;
    info_.durationSeconds = spanEnd_ ? double(*spanEnd_ - spanStart_) / rate : std::max(0.0, info_.durationSeconds - start);
    info_.durationIsExact = false; // checked against the span's ends instead
    // Later tracks of an image start decoding near their start rather than at the image's; the
    // margin covers seek points that fall short.
    seeked_ = spanStart_ > 2 * rate && decoder_.seekBefore(spanStart_ - 2 * rate);
    return Status::success();
}

void DecodedStream::startOutput(int sampleRate, int channels, uint64_t channelMask)
{
    resampler_.open(sampleRate, channels, channelMask);
}

bool DecodedStream::cutToSpan(AVFrame* frame)
{
    const int64_t first = sourcePosition_;
    const int64_t count = frame->nb_samples;
    sourcePosition_ += count;
    const int64_t from = std::max(first, spanStart_);
    const int64_t to = spanEnd_ ? std::min(first + count, *spanEnd_) : first + count;
    if (to <= from)
        return false;
    if (to - from < count)
        trimFrame(frame, int(from - first), int(to - from));
    return true;
}

Status DecodedStream::read(std::vector<double>& samples, bool& end)
{
    end = false;
    samples.clear();
    while (!drained_) {
        bool endOfStream = spanEnd_ && sourcePosition_ >= *spanEnd_;
        if (!endOfStream)
            if (Status s = decoder_.nextFrame(frame_.get(), endOfStream); !s)
                return s;
        if (endOfStream) {
            drained_ = true;
            return resampler_.convert(nullptr, samples);
        }
        if (seeked_) {
            // Where the seek landed: a frame past the span's start would lose samples.
            const auto start = decoder_.frameStart(frame_.get());
            if (!start || *start > spanStart_) {
                av_frame_unref(frame_.get());
                return Status::failure("the image cannot be split at this track's start");
            }
            sourcePosition_ = *start;
            seeked_ = false;
        }
        const bool wanted = cutToSpan(frame_.get());
        Status converted = wanted ? resampler_.convert(frame_.get(), samples) : Status::success();
        av_frame_unref(frame_.get());
        if (!converted || !samples.empty())
            return converted;
    }
    end = true;
    return Status::success();
}

double DecodedStream::fraction() const
{
    if (info_.durationSeconds <= 0)
        return 0;
    const double rate = std::max(1, info_.sampleRate);
    const double done = span_ ? double(std::max<int64_t>(0, sourcePosition_ - spanStart_)) / rate
                              : decoder_.positionSeconds();
    return std::clamp(done / info_.durationSeconds, 0.0, 1.0);
}

// A source that decodes to nothing, or to much less than its header promises, is damaged:
// reporting success for it would hand the user a silently shortened file. A track must lie
// within its image, or the sheet does not belong to it.
Status DecodedStream::checkComplete(int64_t framesHandedOut) const
{
    if (span_ && (sourcePosition_ <= spanStart_ || (spanEnd_ && sourcePosition_ < *spanEnd_)))
        return Status::failure("the CUE sheet does not match its image: the track lies beyond the image's end");
    if (framesHandedOut == 0)
        return Status::failure("no audio could be decoded");
    const double expected = info_.durationSeconds;
    if (info_.durationIsExact && expected > 1.0 && decoder_.positionSeconds() < expected * 0.98 - 0.1)
        return Status::failure("the file is truncated or damaged");
    return Status::success();
}

} // namespace sonvale::engine
