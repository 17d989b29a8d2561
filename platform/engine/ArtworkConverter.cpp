#include "platform/engine/ArtworkConverter.h"

#include <algorithm>

#include "platform/engine/FfmpegHandles.h"

extern "C" {
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

namespace sonvale::engine {
namespace {

struct ScalerDeleter {
    void operator()(SwsContext* s) const { sws_freeContext(s); }
};

bool isPng(const Artwork& art)
{
    return art.data.size() > 8 && art.data[0] == '\x89' && art.data[1] == 'P' && art.data[2] == 'N' && art.data[3] == 'G';
}

bool isJpeg(const Artwork& art)
{
    return art.data.size() > 3 && art.data[0] == '\xFF' && art.data[1] == '\xD8';
}

Status decodeImage(const Artwork& art, FramePtr& image)
{
    const AVCodecID id = isPng(art) ? AV_CODEC_ID_PNG : isJpeg(art) ? AV_CODEC_ID_MJPEG : AV_CODEC_ID_NONE;
    const AVCodec* codec = avcodec_find_decoder(id);
    if (!codec)
        return Status::failure("the artwork is neither JPEG nor PNG");
    CodecContextPtr context(avcodec_alloc_context3(codec));
    PacketPtr packet(av_packet_alloc());
    image.reset(av_frame_alloc());
    if (!context || !packet || !image || av_new_packet(packet.get(), int(art.data.size())) < 0)
        return Status::failure("out of memory");
    std::copy(art.data.begin(), art.data.end(), reinterpret_cast<char*>(packet->data));
    if (avcodec_open2(context.get(), codec, nullptr) < 0 || avcodec_send_packet(context.get(), packet.get()) < 0
        || (avcodec_send_packet(context.get(), nullptr), avcodec_receive_frame(context.get(), image.get())) < 0)
        return Status::failure("the artwork cannot be decoded");
    return Status::success();
}

Status scaleImage(const AVFrame& in, int width, int height, AVPixelFormat format, FramePtr& out)
{
    std::unique_ptr<SwsContext, ScalerDeleter> scaler(
        sws_getContext(in.width, in.height, AVPixelFormat(in.format), width, height, format, SWS_BICUBIC, nullptr,
                       nullptr, nullptr));
    out.reset(av_frame_alloc());
    if (!scaler || !out)
        return Status::failure("the artwork cannot be scaled");
    out->width = width;
    out->height = height;
    out->format = format;
    if (av_frame_get_buffer(out.get(), 0) < 0)
        return Status::failure("out of memory");
    sws_scale(scaler.get(), in.data, in.linesize, 0, in.height, out->data, out->linesize);
    return Status::success();
}

Status encodeImage(const AVFrame& image, AVCodecID id, Artwork& art)
{
    const AVCodec* codec = avcodec_find_encoder(id);
    CodecContextPtr context(codec ? avcodec_alloc_context3(codec) : nullptr);
    PacketPtr packet(av_packet_alloc());
    if (!context || !packet)
        return Status::failure("no image encoder");
    context->width = image.width;
    context->height = image.height;
    context->pix_fmt = AVPixelFormat(image.format);
    context->time_base = AVRational{1, 25};
    if (id == AV_CODEC_ID_MJPEG) {
        context->flags |= AV_CODEC_FLAG_QSCALE;
        context->global_quality = 3 * FF_QP2LAMBDA; // a high JPEG quality
    }
    if (avcodec_open2(context.get(), codec, nullptr) < 0 || avcodec_send_frame(context.get(), &image) < 0
        || avcodec_receive_packet(context.get(), packet.get()) < 0)
        return Status::failure("the artwork cannot be encoded");
    art.data.assign(packet->data, packet->data + packet->size);
    art.mimeType = id == AV_CODEC_ID_PNG ? "image/png" : "image/jpeg";
    return Status::success();
}

} // namespace

Status ArtworkConverter::convert(Artwork& art, Format format, int maxSide)
{
    if (art.empty())
        return Status::success();
    const bool wantPng = format == Format::Png || (format == Format::Keep && isPng(art));
    FramePtr image;
    if (Status s = decodeImage(art, image); !s)
        return s;
    const int side = std::max(image->width, image->height);
    const bool shrink = maxSide > 0 && side > maxSide;
    const bool sameFormat = wantPng == isPng(art);
    if (!shrink && sameFormat)
        return Status::success();
    const double scale = shrink ? double(maxSide) / side : 1.0;
    const int width = std::max(1, int(image->width * scale + 0.5)), height = std::max(1, int(image->height * scale + 0.5));
    FramePtr scaled;
    if (Status s = scaleImage(*image, width, height, wantPng ? AV_PIX_FMT_RGB24 : AV_PIX_FMT_YUVJ420P, scaled); !s)
        return s;
    Artwork converted;
    if (Status s = encodeImage(*scaled, wantPng ? AV_CODEC_ID_PNG : AV_CODEC_ID_MJPEG, converted); !s)
        return s;
    art = std::move(converted);
    return Status::success();
}

} // namespace sonvale::engine
