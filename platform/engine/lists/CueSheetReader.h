#pragma once

#include "platform/engine/lists/CueSheet.h"
#include "platform/engine/lists/TextDecoder.h"
#include "platform/system/Status.h"

#include <filesystem>
#include <string_view>

namespace sonvale::lists {

// Reads CUE sheets with libcue. libcue keeps its parser state in globals, so every parse in the
// process goes through one lock; a reader object itself holds only its decoder and may be used
// from any thread.
class CueSheetReader final {
public:
    static constexpr size_t kMaxSheetBytes = 1 << 20;

    explicit CueSheetReader(TextDecoder decoder = TextDecoder());

    // A sheet file beside its image(s). Image names are resolved against the sheet's folder, and
    // every image must exist.
    Status readFile(const std::filesystem::path& sheetPath, CueSheet& sheet) const;

    // A sheet stored inside its image (a CUESHEET tag): every track belongs to `imagePath`,
    // whatever FILE line the text has; a text naming more than one image is refused.
    Status readEmbedded(std::string_view text, const std::filesystem::path& imagePath,
                        CueSheet& sheet) const;

    // Parses the bytes of a sheet, resolving image names against `folder`, without looking at
    // the file system.
    Status readBytes(std::string_view bytes, const std::filesystem::path& folder,
                     CueSheet& sheet) const;

private:
    TextDecoder decoder_;
};

} // namespace sonvale::lists
