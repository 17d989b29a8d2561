#include "platform/engine/artwork/ArtworkConverter.h"

#include "platform/engine/artwork/ArtworkDecoder.h"
#include "platform/engine/artwork/ArtworkEncoder.h"
#include "platform/system/AtomicFile.h"
#include "platform/tqkit/TQTaskInfoRecord.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <array>
#include <cstdlib>

using namespace sonvale::artwork;

namespace {

using Bytes = std::vector<std::uint8_t>;
using Rgba = std::array<std::uint8_t, 4>;

constexpr Rgba kRed = {220, 30, 30, 255};
constexpr Rgba kBlue = {30, 40, 210, 255};
constexpr Rgba kClear = {0, 0, 0, 0};

// A picture whose left half is `left` and right half `right`.
RgbaImage twoHalves(int width, int height, Rgba left, Rgba right)
{
    RgbaImage image{width, height, {}};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Rgba& colour = x < width / 2 ? left : right;
            image.pixels.insert(image.pixels.end(), colour.begin(), colour.end());
        }
    }
    return image;
}

Bytes encoded(const RgbaImage& image, ArtworkFormat format)
{
    Bytes bytes;
    EXPECT_TRUE(ArtworkEncoder::encode(image, format, bytes).isOk());
    return bytes;
}

// A 24-bit BMP, written by hand so that a format we can read but not write is on hand.
Bytes bmp(const RgbaImage& image)
{
    const int rowBytes = (image.width * 3 + 3) & ~3;
    const std::uint32_t fileSize = 54 + static_cast<std::uint32_t>(rowBytes * image.height);
    Bytes bytes(fileSize, 0);
    const auto put32 = [&](size_t at, std::uint32_t value) {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(2, fileSize);
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<std::uint32_t>(image.width));
    put32(22, static_cast<std::uint32_t>(image.height));
    bytes[26] = 1;
    bytes[28] = 24;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const std::uint8_t* pixel = &image.pixels[(static_cast<size_t>(image.height - 1 - y) * image.width + x) * 4];
            std::uint8_t* out = &bytes[54 + static_cast<size_t>(y) * rowBytes + x * 3];
            out[0] = pixel[2];
            out[1] = pixel[1];
            out[2] = pixel[0];
        }
    }
    return bytes;
}

// What a converted picture really holds, read back through the decoder.
struct ReadBack {
    PictureType type = PictureType::Jpeg;
    RgbaImage image;
};

ReadBack readBack(const Bytes& bytes)
{
    ArtworkDecoder decoder;
    ReadBack result;
    const sonvale::Status decoded = decoder.decode(bytes);
    EXPECT_TRUE(decoded.isOk()) << decoded.message();
    if (!decoded)
        return result;
    result.type = decoder.type();
    EXPECT_TRUE(decoder.scaleTo(decoder.width(), decoder.height(), result.image).isOk());
    return result;
}

Rgba pixelAt(const RgbaImage& image, int x, int y)
{
    const std::uint8_t* pixel = &image.pixels[(static_cast<size_t>(y) * image.width + x) * 4];
    return {pixel[0], pixel[1], pixel[2], pixel[3]};
}

void expectNear(Rgba actual, Rgba expected, const std::string& what)
{
    for (size_t channel = 0; channel < 4; ++channel)
        EXPECT_NEAR(actual[channel], expected[channel], 12) << what << ", channel " << channel;
}

} // namespace

TEST(ArtworkConverterTest, ConvertsAndScalesAsAskedKeepingColoursAndAspect)
{
    const Bytes png = encoded(twoHalves(1200, 800, kRed, kBlue), ArtworkFormat::Png);
    const Bytes jpeg = encoded(twoHalves(1200, 800, kRed, kBlue), ArtworkFormat::Jpeg);
    const Bytes tallBmp = bmp(twoHalves(300, 1000, kRed, kBlue));
    struct Case {
        const char* name;
        const Bytes& source;
        ArtworkOptions options;
        PictureType type;
        int width, height;
    };
    const Case cases[] = {
        {"PNG to JPEG", png, {ArtworkFormat::Jpeg, 0}, PictureType::Jpeg, 1200, 800},
        {"PNG limited", png, {ArtworkFormat::Keep, 600}, PictureType::Png, 600, 400},
        {"JPEG to PNG, limited", jpeg, {ArtworkFormat::Png, 768}, PictureType::Png, 768, 512},
        {"JPEG limited stays JPEG", jpeg, {ArtworkFormat::Keep, 300}, PictureType::Jpeg, 300, 200},
        {"BMP limited becomes PNG", tallBmp, {ArtworkFormat::Keep, 768}, PictureType::Png, 230, 768},
        {"BMP to JPEG", tallBmp, {ArtworkFormat::Jpeg, 0}, PictureType::Jpeg, 300, 1000},
    };
    for (const Case& c : cases) {
        ConvertedArtwork out;
        const sonvale::Status status = ArtworkConverter::convert(c.source, c.options, out);
        ASSERT_TRUE(status.isOk()) << c.name << ": " << status.message();
        EXPECT_TRUE(out.changed) << c.name;
        EXPECT_EQ(out.mimeType, c.type == PictureType::Jpeg ? "image/jpeg" : "image/png") << c.name;
        const ReadBack back = readBack(out.bytes);
        EXPECT_EQ(back.type, c.type) << c.name;
        EXPECT_EQ(back.image.width, c.width) << c.name;
        EXPECT_EQ(back.image.height, c.height) << c.name;
        EXPECT_EQ(out.width, c.width) << c.name;
        EXPECT_EQ(out.height, c.height) << c.name;
        if (back.image.width == c.width && back.image.height == c.height) {
            expectNear(pixelAt(back.image, c.width / 4, c.height / 2), kRed, c.name);
            expectNear(pixelAt(back.image, c.width * 3 / 4, c.height / 2), kBlue, c.name);
        }
    }
}

TEST(ArtworkConverterTest, ReadsTheOtherPictureFormatsOfTheDecoders)
{
    // Pictures written by the ffmpeg command line, a writer independent of our encoder.
    sonvale::test::TempDir dir;
    for (const char* extension : {"gif", "webp", "tiff", "bmp", "qoi", "jp2"}) {
        const std::filesystem::path path = dir.path() / (std::string("picture.") + extension);
        const std::string command = "ffmpeg -nostdin -v error -y -f lavfi -i testsrc=size=320x240 -frames:v 1 '" +
                                    path.string() + "'";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        const std::optional<std::string> file = sonvale::readWholeFile(path);
        ASSERT_TRUE(file) << path;

        ConvertedArtwork out;
        const sonvale::Status status =
            ArtworkConverter::convert(Bytes(file->begin(), file->end()), {ArtworkFormat::Jpeg, 160}, out);

        ASSERT_TRUE(status.isOk()) << extension << ": " << status.message();
        const ReadBack back = readBack(out.bytes);
        EXPECT_EQ(back.type, PictureType::Jpeg) << extension;
        EXPECT_EQ(back.image.width, 160) << extension;
        EXPECT_EQ(back.image.height, 120) << extension;
    }
}

TEST(ArtworkConverterTest, HandsBackPicturesThatAlreadyFitByteForByte)
{
    const Bytes png = encoded(twoHalves(640, 480, kRed, kBlue), ArtworkFormat::Png);
    const Bytes jpeg = encoded(twoHalves(640, 480, kRed, kBlue), ArtworkFormat::Jpeg);
    struct Case {
        const char* name;
        const Bytes& source;
        ArtworkOptions options;
        const char* mimeType;
    };
    const Case cases[] = {
        {"nothing asked", png, {ArtworkFormat::Keep, 0}, "image/png"},
        {"never scaled up", png, {ArtworkFormat::Keep, 2000}, "image/png"},
        {"largest side equals the limit", jpeg, {ArtworkFormat::Keep, 640}, "image/jpeg"},
        {"JPEG asked of a JPEG", jpeg, {ArtworkFormat::Jpeg, 1000}, "image/jpeg"},
        {"PNG asked of a PNG", png, {ArtworkFormat::Png, 0}, "image/png"},
    };
    for (const Case& c : cases) {
        ConvertedArtwork out;
        ASSERT_TRUE(ArtworkConverter::convert(c.source, c.options, out).isOk()) << c.name;
        EXPECT_FALSE(out.changed) << c.name;
        EXPECT_EQ(out.bytes, c.source) << c.name;
        EXPECT_EQ(out.mimeType, c.mimeType) << c.name;
        EXPECT_EQ(out.width, 640) << c.name;
        EXPECT_EQ(out.height, 480) << c.name;
    }
}

TEST(ArtworkConverterTest, KeepsTransparencyInPngAndLaysItOnWhiteInJpeg)
{
    const Bytes halfClear = encoded(twoHalves(400, 200, kRed, kClear), ArtworkFormat::Png);

    ConvertedArtwork png, jpeg;
    ASSERT_TRUE(ArtworkConverter::convert(halfClear, {ArtworkFormat::Keep, 200}, png).isOk());
    ASSERT_TRUE(ArtworkConverter::convert(halfClear, {ArtworkFormat::Jpeg, 0}, jpeg).isOk());

    const RgbaImage pngBack = readBack(png.bytes).image;
    ASSERT_EQ(pngBack.width, 200);
    EXPECT_EQ(pixelAt(pngBack, 150, 50)[3], 0);
    expectNear(pixelAt(pngBack, 50, 50), kRed, "opaque half of the PNG");
    const RgbaImage jpegBack = readBack(jpeg.bytes).image;
    ASSERT_EQ(jpegBack.width, 400);
    expectNear(pixelAt(jpegBack, 300, 100), {255, 255, 255, 255}, "clear half of the JPEG");
    expectNear(pixelAt(jpegBack, 100, 100), kRed, "opaque half of the JPEG");
}

TEST(ArtworkConverterTest, FitsExtremeShapesWithinTheLimit)
{
    struct Case {
        int width, height, limit, fittedWidth, fittedHeight;
    };
    const Case cases[] = {
        {1, 20000, 768, 1, 768},
        {20000, 3, 768, 768, 1},
        {1000, 1000, 500, 500, 500},
        {1001, 1000, 500, 500, 500},
        {300, 1000, 768, 230, 768},
        {800, 600, 0, 800, 600},
    };
    for (const Case& c : cases) {
        int width = 0, height = 0;
        ArtworkConverter::fitSize(c.width, c.height, c.limit, width, height);
        EXPECT_EQ(width, c.fittedWidth) << c.width << "x" << c.height << " within " << c.limit;
        EXPECT_EQ(height, c.fittedHeight) << c.width << "x" << c.height << " within " << c.limit;
    }
}

namespace {

// The picture with the IHDR chunk claiming another size, its checksum made right again.
Bytes withClaimedSize(Bytes png, std::uint32_t width, std::uint32_t height)
{
    const auto put32 = [&](size_t at, std::uint32_t value) {
        for (int i = 0; i < 4; ++i)
            png[at + i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
    };
    put32(16, width);
    put32(20, height);
    put32(29, static_cast<std::uint32_t>(crc32(0, &png[12], 17)));
    return png;
}

} // namespace

TEST(ArtworkConverterTest, RefusesDamagedAndHostilePicturesLeavingTheResultAlone)
{
    const Bytes png = encoded(twoHalves(64, 64, kRed, kBlue), ArtworkFormat::Png);
    const Bytes jpeg = encoded(twoHalves(64, 64, kRed, kBlue), ArtworkFormat::Jpeg);
    Bytes flippedInData = png;
    flippedInData[png.size() / 2] ^= 0x5A;
    Bytes garbage(4096);
    std::srand(7);
    for (std::uint8_t& byte : garbage)
        byte = static_cast<std::uint8_t>(std::rand());
    struct Case {
        const char* name;
        Bytes bytes;
    };
    const Case cases[] = {
        {"no bytes", {}},
        {"unknown format", garbage},
        {"PNG signature only", Bytes(png.begin(), png.begin() + 8)},
        {"PNG cut in half", Bytes(png.begin(), png.begin() + static_cast<long>(png.size() / 2))},
        {"PNG with a damaged chunk", flippedInData},
        {"PNG claiming 100000 x 100000 pixels", withClaimedSize(png, 100000, 100000)},
        {"PNG claiming 9000 x 9000 pixels", withClaimedSize(png, 9000, 9000)},
        {"PNG claiming no pixels", withClaimedSize(png, 0, 64)},
        {"JPEG markers only", Bytes(jpeg.begin(), jpeg.begin() + 20)},
        {"JPEG cut short", Bytes(jpeg.begin(), jpeg.end() - 40)},
        {"JPEG signature before garbage", [&] { Bytes b = garbage; b[0] = 0xFF; b[1] = 0xD8; b[2] = 0xFF; return b; }()},
    };
    for (const Case& c : cases) {
        ConvertedArtwork out;
        out.mimeType = "untouched";
        const sonvale::Status status = ArtworkConverter::convert(c.bytes, {ArtworkFormat::Jpeg, 500}, out);
        EXPECT_FALSE(status.isOk()) << c.name;
        EXPECT_TRUE(status.message().starts_with("The picture cannot be read")) << c.name << ": " << status.message();
        EXPECT_EQ(out.mimeType, "untouched") << c.name;
        EXPECT_TRUE(out.bytes.empty()) << c.name;
    }
}

TEST(ArtworkConverterTest, ReadsTheRecordsArtworkFields)
{
    struct Case {
        std::int32_t code, size;
        ArtworkFormat format;
        int maxSize;
    };
    const Case cases[] = {
        {kTQTaskInfoArtworkToJPEG, 768, ArtworkFormat::Jpeg, 768},
        {kTQTaskInfoArtworkToPNG, 0, ArtworkFormat::Png, 0},
        {kTQTaskInfoArtworkKeep, 1024, ArtworkFormat::Keep, 1024},
        {0x20001, -5, ArtworkFormat::Keep, 0},
    };
    for (const Case& c : cases) {
        const ArtworkOptions options = ArtworkOptions::fromRecord(c.code, c.size);
        EXPECT_EQ(options.format, c.format) << c.code;
        EXPECT_EQ(options.maxSize, c.maxSize) << c.code;
    }
    EXPECT_TRUE(ArtworkOptions::fromRecord(0, 0).changesNothing());
}
