#include "platform/engine/lists/TextDecoder.h"

#include <cerrno>
#include <iconv.h>

namespace sonvale::lists {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";

// Converts the whole of `bytes` from `charset`, or fails on the first sequence that has no
// meaning there.
bool convertToUtf8(std::string_view bytes, const char* charset, std::string& utf8)
{
    iconv_t converter = ::iconv_open("UTF-8", charset);
    if (converter == reinterpret_cast<iconv_t>(-1))
        return false;

    std::string out;
    out.resize(bytes.size() * 2 + 16);
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    size_t used = 0;
    bool ok = true;
    while (inLeft > 0) {
        char* outPtr = out.data() + used;
        size_t outLeft = out.size() - used;
        const size_t result = ::iconv(converter, &in, &inLeft, &outPtr, &outLeft);
        used = out.size() - outLeft;
        if (result != static_cast<size_t>(-1))
            continue;
        if (errno == E2BIG) {
            out.resize(out.size() * 2);
            continue;
        }
        ok = false; // EILSEQ or EINVAL: not text in this set
        break;
    }
    ::iconv_close(converter);
    if (!ok)
        return false;
    out.resize(used);
    utf8 = std::move(out);
    return true;
}

} // namespace

TextDecoder::TextDecoder(std::string legacyCharset) : legacyCharset_(std::move(legacyCharset)) {}

Status TextDecoder::decode(std::string_view bytes, std::string& utf8) const
{
    if (bytes.starts_with(kUtf8Bom))
        bytes.remove_prefix(kUtf8Bom.size());
    else if (bytes.starts_with(kUtf16LeBom) || bytes.starts_with(kUtf16BeBom)) {
        const char* charset = bytes.starts_with(kUtf16LeBom) ? "UTF-16LE" : "UTF-16BE";
        bytes.remove_prefix(2);
        std::string converted;
        if (!convertToUtf8(bytes, charset, converted) ||
            converted.find('\0') != std::string::npos)
            return Status::failure("The text is marked as UTF-16 but is not valid UTF-16");
        utf8 = std::move(converted);
        return Status::success();
    }

    if (bytes.find('\0') != std::string_view::npos)
        return Status::failure("The file holds binary data, not text");
    if (isValidUtf8(bytes)) {
        utf8.assign(bytes);
        return Status::success();
    }
    if (convertToUtf8(bytes, legacyCharset_.c_str(), utf8))
        return Status::success();
    if (convertToUtf8(bytes, "ISO-8859-1", utf8))
        return Status::success();
    return Status::failure("The character set of the text cannot be read");
}

bool TextDecoder::isValidUtf8(std::string_view bytes)
{
    size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        size_t length = 0;
        char32_t codePoint = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
            codePoint = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            codePoint = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            codePoint = lead & 0x07;
        } else {
            return false;
        }
        if (i + length > bytes.size())
            return false;
        for (size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            codePoint = (codePoint << 6) | (next & 0x3F);
        }
        // Reject overlong forms, surrogates and values past Unicode's end.
        static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (codePoint < kSmallest[length] || codePoint > 0x10FFFF ||
            (codePoint >= 0xD800 && codePoint <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

} // namespace sonvale::lists
