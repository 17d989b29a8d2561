#include "platform/engine/artwork/ArtworkDecoder.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

#include <cstring>

namespace sonvale::artwork {
namespace {

Status decodeError(const char* what, int code)
{
    return Status::failure(std::string("The picture cannot be read: ") + what + " (" + ffmpegError(code) + ")");
}

// JPEG decoders hand out the full-range "J" formats; the scaler wants the plain format with the
// range said separately.
AVPixelFormat withoutRangeAlias(AVPixelFormat format, bool& fullRange)
{
    switch (format) {
    case AV_PIX_FMT_YUVJ420P: fullRange = true; return AV_PIX_FMT_YUV420P;
    case AV_PIX_FMT_YUVJ422P: fullRange = true; return AV_PIX_FMT_YUV422P;
    case AV_PIX_FMT_YUVJ444P: fullRange = true; return AV_PIX_FMT_YUV444P;
    case AV_PIX_FMT_YUVJ440P: fullRange = true; return AV_PIX_FMT_YUV440P;
    case AV_PIX_FMT_YUVJ411P: fullRange = true; return AV_PIX_FMT_YUV411P;
    default: return format;
    }
}

} // namespace

Status ArtworkDecoder::decode(std::span<const std::uint8_t> bytes)
{
    frame_.reset();
    const std::optional<PictureType> type = pictureTypeOf(bytes);
    if (!type)
        return Status::failure("The picture cannot be read: its format is not one we know");
    if (bytes.size() > static_cast<size_t>(INT32_MAX - AV_INPUT_BUFFER_PADDING_SIZE))
        return Status::failure("The picture cannot be read: it is too large");
    const AVCodec* codec = avcodec_find_decoder(pictureCodecId(*type));
    if (!codec)
        return Status::failure("The picture cannot be read: no decoder for its format");

    CodecContextPtr context(avcodec_alloc_context3(codec));
    PacketPtr packet(av_packet_alloc());
    FramePtr frame(av_frame_alloc());
    if (!context || !packet || !frame)
        return Status::failure("The picture cannot be read: out of memory");
    context->max_pixels = kMaxPixels;
    context->thread_count = 1;
    // A damaged JPEG or PNG would otherwise come out half grey; the TIFF decoder, though, treats
    // every tag it does not know as fatal under AV_EF_EXPLODE, so the other formats keep the
    // decoders' own judgement.
    context->err_recognition = AV_EF_CRCCHECK;
    if (*type == PictureType::Jpeg || *type == PictureType::Png)
        context->err_recognition |= AV_EF_EXPLODE;
    if (const int result = avcodec_open2(context.get(), codec, nullptr); result < 0)
        return decodeError("the decoder does not start", result);

    if (const int result = av_new_packet(packet.get(), static_cast<int>(bytes.size())); result < 0)
        return decodeError("out of memory", result);
    std::memcpy(packet->data, bytes.data(), bytes.size());
    packet->flags |= AV_PKT_FLAG_KEY;
    if (const int result = avcodec_send_packet(context.get(), packet.get()); result < 0)
        return decodeError("its data is damaged", result);
    if (const int result = avcodec_send_packet(context.get(), nullptr); result < 0)
        return decodeError("its data is damaged", result);
    if (const int result = avcodec_receive_frame(context.get(), frame.get()); result < 0)
        return decodeError("it holds no complete picture", result);
    if (frame->width <= 0 || frame->height <= 0 || frame->format < 0 ||
        static_cast<std::int64_t>(frame->width) * frame->height > kMaxPixels)
        return Status::failure("The picture cannot be read: it has no usable size");

    type_ = *type;
    frame_ = std::move(frame);
    return Status::success();
}

Status ArtworkDecoder::scaleTo(int width, int height, RgbaImage& out) const
{
    bool fullRange = frame_->color_range == AVCOL_RANGE_JPEG;
    const AVPixelFormat source = withoutRangeAlias(static_cast<AVPixelFormat>(frame_->format), fullRange);
    const SwsPtr scaler =
        makePictureScaler(frame_->width, frame_->height, source, fullRange, width, height, AV_PIX_FMT_RGBA);
    if (!scaler)
        return Status::failure(std::string("The picture cannot be scaled from its pixel format ") +
                               (av_get_pix_fmt_name(source) ? av_get_pix_fmt_name(source) : "(unknown)"));

    RgbaImage image;
    image.width = width;
    image.height = height;
    image.pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    std::uint8_t* planes[4] = {image.pixels.data(), nullptr, nullptr, nullptr};
    const int strides[4] = {width * 4, 0, 0, 0};
    if (sws_scale(scaler.get(), frame_->data, frame_->linesize, 0, frame_->height, planes, strides) != height)
        return Status::failure("The picture cannot be scaled");
    out = std::move(image);
    return Status::success();
}

} // namespace sonvale::artwork
