#include "platform/engine/artwork/FfmpegHandles.h"

namespace sonvale::artwork {

std::string ffmpegError(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

} // namespace sonvale::artwork
