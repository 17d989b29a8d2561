#pragma once

#include "crashcapture/TQCrashReportProcessorInfo.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace tqcrash {

// One loaded image: where its code lay, its path and its UUID (on this platform the build-id) as
// lower-case hexadecimal. Immutable.
class TQCrashReportBinaryImageInfo final {
public:
    TQCrashReportBinaryImageInfo(std::optional<TQCrashReportProcessorInfo> codeType, std::uint64_t baseAddress,
                                 std::uint64_t size, std::string name, std::optional<std::string> uuid)
        : codeType_(codeType), imageBaseAddress_(baseAddress), imageSize_(size), imageName_(std::move(name)),
          imageUUID_(std::move(uuid)) {}

    const std::optional<TQCrashReportProcessorInfo>& codeType() const { return codeType_; }
    std::uint64_t imageBaseAddress() const { return imageBaseAddress_; }
    std::uint64_t imageSize() const { return imageSize_; }
    const std::string& imageName() const { return imageName_; }
    bool hasImageUUID() const { return imageUUID_.has_value(); }
    const std::optional<std::string>& imageUUID() const { return imageUUID_; }

private:
    std::optional<TQCrashReportProcessorInfo> codeType_;
    std::uint64_t imageBaseAddress_;
    std::uint64_t imageSize_;
    std::string imageName_;
    std::optional<std::string> imageUUID_;
};

} // namespace tqcrash
