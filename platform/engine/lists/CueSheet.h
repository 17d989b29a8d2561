#pragma once

#include "platform/system/Status.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace sonvale::lists {

// The sheet's own fields for the whole album.
struct CueAlbum {
    std::string title;
    std::string performer;
    std::string songwriter;
    std::string date;
    std::string genre;
    std::string discId;
    std::string comment;
    std::string discNumber; // "1", or "1/2" with REM TOTALDISCS
};

// One track of a disc image. Positions are in CD frames (1/75 s) from the start of the image
// file; a track runs to the start of the next track of the same image, so the tracks of an image
// joined again give the image. The pause before a track (INDEX 00) stays with the track before
// it, except on the first track of an image, which keeps it.
struct CueTrack {
    static constexpr int kFramesPerSecond = 75;

    int number = 0;
    std::string title;
    std::string performer; // the album's performer when the track names none
    std::string songwriter;
    std::string isrc;
    std::filesystem::path imageFile;
    int64_t startFrame = 0;
    std::optional<int64_t> endFrame; // none: the track runs to the end of its image

    // The first sample and the number of samples of the track at `sampleRate`, for an image of
    // `imageSamples` samples. Fails when the track does not lie within the image (a sheet that
    // does not belong to it).
    Status sampleRange(int sampleRate, int64_t imageSamples, int64_t& start,
                       int64_t& length) const;

    // The sample at which a position in frames begins. Rounding down at every boundary keeps
    // neighbouring tracks gapless at rates that are not a multiple of 75.
    static int64_t framesToSamples(int64_t frames, int sampleRate);
};

struct CueSheet {
    CueAlbum album;
    std::vector<CueTrack> tracks;

    // The distinct image files, in the order the sheet first names them.
    std::vector<std::filesystem::path> imageFiles() const;
};

} // namespace sonvale::lists
