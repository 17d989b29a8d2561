#include "platform/engine/artwork/FfmpegHandles.h"

namespace sonvale::artwork {

SwsPtr makePictureScaler(int sourceWidth, int sourceHeight, AVPixelFormat source, bool sourceFullRange,
                         int targetWidth, int targetHeight, AVPixelFormat target)
{
    SwsPtr scaler(sws_getContext(sourceWidth, sourceHeight, source, targetWidth, targetHeight, target,
                                 SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT, nullptr, nullptr, nullptr));
    if (scaler) {
        const int* coefficients = sws_getCoefficients(SWS_CS_DEFAULT);
        sws_setColorspaceDetails(scaler.get(), coefficients, sourceFullRange ? 1 : 0, coefficients, 1, 0, 1 << 16,
                                 1 << 16);
    }
    return scaler;
}

std::string ffmpegError(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

} // namespace sonvale::artwork
