#include "platform/engine/lists/CueSheet.h"

#include <algorithm>

namespace sonvale::lists {

int64_t CueTrack::framesToSamples(int64_t frames, int sampleRate)
{
    return frames * sampleRate / kFramesPerSecond;
}

Status CueTrack::sampleRange(int sampleRate, int64_t imageSamples, int64_t& start,
                             int64_t& length) const
{
    if (sampleRate <= 0)
        return Status::failure("The sample rate of the image is unknown");
    const int64_t first = framesToSamples(startFrame, sampleRate);
    const int64_t end = endFrame ? framesToSamples(*endFrame, sampleRate) : imageSamples;
    if (first >= imageSamples || end > imageSamples)
        return Status::failure("Track " + std::to_string(number) +
                               " of the CUE sheet lies beyond the end of \"" +
                               imageFile.filename().string() + "\"");
    start = first;
    length = end - first;
    return Status::success();
}

std::vector<std::filesystem::path> CueSheet::imageFiles() const
{
    std::vector<std::filesystem::path> files;
    for (const CueTrack& track : tracks) {
        if (std::find(files.begin(), files.end(), track.imageFile) == files.end())
            files.push_back(track.imageFile);
    }
    return files;
}

} // namespace sonvale::lists
