#pragma once

// FFmpeg objects of the artwork step, held by std::unique_ptr with their own free functions, and
// the one way the step makes a scaler.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

#include <memory>
#include <string>

namespace sonvale::artwork {

struct CodecContextFree {
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameFree {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketFree {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct SwsFree {
    void operator()(SwsContext* context) const { sws_freeContext(context); }
};

using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextFree>;
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFree>;
using SwsPtr = std::unique_ptr<SwsContext, SwsFree>;

// A scaler from `source` pixels (full or limited range) to `target` pixels in full range, with
// the quality a single picture deserves; null when FFmpeg has no such conversion.
SwsPtr makePictureScaler(int sourceWidth, int sourceHeight, AVPixelFormat source, bool sourceFullRange,
                         int targetWidth, int targetHeight, AVPixelFormat target);

// FFmpeg's text for an error code.
std::string ffmpegError(int code);

} // namespace sonvale::artwork
