#include "platform/engine/LameEncoder.h"

#include <cerrno>
#include <lame/lame.h>
#include <unistd.h>

#include "platform/engine/PartialFile.h"

namespace sonvale::engine {

LameEncoder::LameEncoder(EncoderPlan plan) : plan_(std::move(plan)) {}

LameEncoder::~LameEncoder()
{
    if (lame_)
        lame_close(lame_);
    if (file_)
        std::fclose(file_);
}

Status LameEncoder::configure()
{
    lame_set_in_samplerate(lame_, plan_.sampleRate);
    lame_set_out_samplerate(lame_, plan_.sampleRate);
    lame_set_num_channels(lame_, plan_.channels);
    static constexpr MPEG_mode kModes[] = {STEREO, JOINT_STEREO, DUAL_CHANNEL, MONO};
    lame_set_mode(lame_, kModes[plan_.mp3ChannelMode & 3]);
    lame_set_error_protection(lame_, plan_.mp3Crc ? 1 : 0);
    lame_set_bWriteVbrTag(lame_, 1);
    if (plan_.variableBitRate) {
        lame_set_VBR(lame_, vbr_default);
        lame_set_VBR_quality(lame_, float(plan_.quality));
        lame_set_VBR_min_bitrate_kbps(lame_, plan_.mp3VbrMinKbps);
        lame_set_VBR_max_bitrate_kbps(lame_, plan_.mp3VbrMaxKbps);
    } else {
        lame_set_VBR(lame_, vbr_off);
        lame_set_brate(lame_, int(plan_.bitRate / 1000));
        // Normal quality is LAME's own default algorithm; high is its slower, better one.
        if (plan_.mp3HighQuality)
            lame_set_quality(lame_, 2);
    }
    if (lame_init_params(lame_) < 0)
        return Status::failure("the MP3 encoder rejected these settings");
    return Status::success();
}

Status LameEncoder::open(const std::string& path)
{
    lame_ = lame_init();
    if (!lame_)
        return Status::failure("out of memory");
    if (Status s = configure(); !s)
        return s;
    const int fd = PartialFile::openForWriting(path);
    if (fd < 0 || !(file_ = ::fdopen(fd, "w+b"))) {
        const int error = errno;
        if (fd >= 0)
            ::close(fd);
        return PartialFile::creationFailure(error);
    }
    return Status::success();
}

Status LameEncoder::writeBuffer(int bytes)
{
    if (bytes < 0)
        return Status::failure("MP3 encoding failed (" + std::to_string(bytes) + ")");
    if (bytes > 0 && std::fwrite(buffer_.data(), 1, size_t(bytes), file_) != size_t(bytes))
        return Status::failure("cannot write the result file (disk full?)");
    return Status::success();
}

Status LameEncoder::write(const double* samples, int frames)
{
    if (frames <= 0)
        return Status::success();
    // LAME's documented worst case: 1.25 * samples + 7200 bytes.
    buffer_.resize(size_t(frames) * 5 / 4 + 7200);
    const int bytes = plan_.channels == 1
                          ? lame_encode_buffer_ieee_double(lame_, samples, samples, frames, buffer_.data(),
                                                          int(buffer_.size()))
                          : lame_encode_buffer_interleaved_ieee_double(lame_, samples, frames, buffer_.data(),
                                                                      int(buffer_.size()));
    return writeBuffer(bytes);
}

std::vector<std::string> LameEncoder::notes() const
{
    // LAME leaves the info frame out when a frame of the bit rate can't hold it.
    if (lame_ && lame_get_lametag_frame(lame_, nullptr, 0) == 0)
        return {"no gapless header: frames at " + std::to_string(plan_.variableBitRate ? plan_.mp3VbrMinKbps
                                                                                        : int(plan_.bitRate / 1000))
                + " kbps are too small to hold one"};
    return {};
}

Status LameEncoder::finish()
{
    buffer_.resize(7200);
    if (Status s = writeBuffer(lame_encode_flush(lame_, buffer_.data(), int(buffer_.size()))); !s)
        return s;
    lame_mp3_tags_fid(lame_, file_);
    const bool failed = std::fflush(file_) != 0 || std::ferror(file_);
    std::fclose(file_);
    file_ = nullptr;
    return failed ? Status::failure("cannot write the result file (disk full?)") : Status::success();
}

} // namespace sonvale::engine
