#include "platform/engine/artwork/ArtworkEncoder.h"

#include "platform/engine/artwork/FfmpegHandles.h"

namespace sonvale::artwork {
namespace {

// JPEG quality scale of FFmpeg's encoder: 2 is near the best it makes, at a fair size for a cover.
constexpr int kJpegQuality = 2;

Status encodeError(const char* what, int code)
{
    return Status::failure(std::string("The picture cannot be written: ") + what + " (" + ffmpegError(code) + ")");
}

// RGB without alpha, each pixel laid on white.
std::vector<std::uint8_t> flattenOnWhite(const RgbaImage& image)
{
    std::vector<std::uint8_t> rgb(image.pixels.size() / 4 * 3);
    for (size_t pixel = 0, out = 0; pixel < image.pixels.size(); pixel += 4, out += 3) {
        const unsigned alpha = image.pixels[pixel + 3];
        for (size_t channel = 0; channel < 3; ++channel)
            rgb[out + channel] = static_cast<std::uint8_t>((image.pixels[pixel + channel] * alpha + 255 * (255 - alpha) + 127) / 255);
    }
    return rgb;
}

// A frame of the encoder's own format made from packed pixels of `packedFormat`.
Status convertFrame(const std::uint8_t* pixels, AVPixelFormat packedFormat, int bytesPerPixel,
                    const AVCodecContext& encoder, FramePtr& frame)
{
    frame.reset(av_frame_alloc());
    if (!frame)
        return Status::failure("The picture cannot be written: out of memory");
    frame->width = encoder.width;
    frame->height = encoder.height;
    frame->format = encoder.pix_fmt;
    frame->color_range = encoder.color_range;
    if (const int result = av_frame_get_buffer(frame.get(), 0); result < 0)
        return encodeError("out of memory", result);
    const SwsPtr converter = makePictureScaler(encoder.width, encoder.height, packedFormat, true, encoder.width,
                                               encoder.height, encoder.pix_fmt);
    if (!converter)
        return Status::failure("The picture cannot be written: no conversion to the encoder's pixels");
    const std::uint8_t* planes[4] = {pixels, nullptr, nullptr, nullptr};
    const int strides[4] = {encoder.width * bytesPerPixel, 0, 0, 0};
    sws_scale(converter.get(), planes, strides, 0, encoder.height, frame->data, frame->linesize);
    return Status::success();
}

} // namespace

Status ArtworkEncoder::encode(const RgbaImage& image, ArtworkFormat format, std::vector<std::uint8_t>& out)
{
    const bool jpeg = format == ArtworkFormat::Jpeg;
    const AVCodec* codec = avcodec_find_encoder(jpeg ? AV_CODEC_ID_MJPEG : AV_CODEC_ID_PNG);
    CodecContextPtr context(codec ? avcodec_alloc_context3(codec) : nullptr);
    PacketPtr packet(av_packet_alloc());
    if (!context || !packet)
        return Status::failure("The picture cannot be written: no encoder for its format");

    const bool keepAlpha = !jpeg && !image.isOpaque();
    context->width = image.width;
    context->height = image.height;
    context->time_base = {1, 1};
    context->pix_fmt = jpeg ? AV_PIX_FMT_YUV420P : keepAlpha ? AV_PIX_FMT_RGBA : AV_PIX_FMT_RGB24;
    context->color_range = AVCOL_RANGE_JPEG;
    if (jpeg) {
        context->flags |= AV_CODEC_FLAG_QSCALE;
        context->global_quality = FF_QP2LAMBDA * kJpegQuality;
    }
    if (const int result = avcodec_open2(context.get(), codec, nullptr); result < 0)
        return encodeError("the encoder does not start", result);

    FramePtr frame;
    const std::vector<std::uint8_t> rgb = keepAlpha ? std::vector<std::uint8_t>() : flattenOnWhite(image);
    const Status converted = keepAlpha ? convertFrame(image.pixels.data(), AV_PIX_FMT_RGBA, 4, *context, frame)
                                       : convertFrame(rgb.data(), AV_PIX_FMT_RGB24, 3, *context, frame);
    if (!converted)
        return converted;
    frame->quality = context->global_quality;

    if (const int result = avcodec_send_frame(context.get(), frame.get()); result < 0)
        return encodeError("the encoder refuses it", result);
    if (const int result = avcodec_send_frame(context.get(), nullptr); result < 0)
        return encodeError("the encoder refuses it", result);
    if (const int result = avcodec_receive_packet(context.get(), packet.get()); result < 0)
        return encodeError("the encoder gives nothing", result);
    out.assign(packet->data, packet->data + packet->size);
    return Status::success();
}

} // namespace sonvale::artwork
