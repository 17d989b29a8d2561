#include "telemetry/TQTMCompression.h"

#include "telemetry/TQTMLogger.h"

#include <zlib.h>

namespace {

std::string zlibErrorText(int result, bool initialising)
{
    switch (result) {
    case Z_VERSION_ERROR:
        return initialising ? "Version of zlib.h & libz library do not match!" : "Unknown error!";
    case Z_MEM_ERROR:
        return initialising ? "Not enough memory." : "Unknown error!";
    case Z_STREAM_ERROR:
        return initialising ? "Invalid parameter passed in to function."
                            : "Inconsistent stream state.";
    case Z_BUF_ERROR:
        return initialising ? "Unknown error!" : "No progress is possible.";
    default:
        return "Unknown error!";
    }
}

} // namespace

std::optional<std::vector<uint8_t>> TQTMCompression::compressData(const std::vector<uint8_t>& data)
{
    if (data.empty())
        return std::nullopt;
    z_stream stream{};
    int result = deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 31, 8,
                              Z_DEFAULT_STRATEGY);
    if (result != Z_OK) {
        TQTMLogError(kTQTMCoreLogTag,
                     "Compression failed with error: " + zlibErrorText(result, true));
        return std::nullopt;
    }
    // deflateBound covers the worst case of this stream, gzip wrapper included, so one pass
    // always finishes.
    std::vector<uint8_t> out(deflateBound(&stream, static_cast<uLong>(data.size())));
    stream.next_in = const_cast<Bytef*>(data.data());
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = out.data();
    stream.avail_out = static_cast<uInt>(out.size());
    do
        result = deflate(&stream, Z_FINISH);
    while (result == Z_OK);
    const size_t written = stream.total_out;
    deflateEnd(&stream);
    if (result != Z_STREAM_END) {
        TQTMLogError(kTQTMCoreLogTag, "Deflate failed with error: " + zlibErrorText(result, false));
        return std::nullopt;
    }
    out.resize(written);
    return out;
}
