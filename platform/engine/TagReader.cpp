#include "platform/engine/TagReader.h"

#include <taglib/aifffile.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/fileref.h>
#include <taglib/flacfile.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/tpropertymap.h>
#include <taglib/wavfile.h>

namespace sonvale::engine {
namespace {

Artwork fromBytes(const TagLib::ByteVector& bytes, const TagLib::String& mime)
{
    Artwork art;
    art.data.assign(bytes.data(), bytes.data() + bytes.size());
    art.mimeType = mime.to8Bit(true);
    if (art.mimeType.empty())
        art.mimeType = bytes.startsWith("\x89PNG") ? "image/png" : "image/jpeg";
    return art;
}

Artwork fromId3v2(const TagLib::ID3v2::Tag* tag)
{
    if (!tag)
        return {};
    const TagLib::ID3v2::FrameList frames = tag->frameListMap()["APIC"];
    const TagLib::ID3v2::AttachedPictureFrame* chosen = nullptr;
    for (auto* frame : frames)
        if (auto* pic = dynamic_cast<const TagLib::ID3v2::AttachedPictureFrame*>(frame))
            if (!chosen || pic->type() == TagLib::ID3v2::AttachedPictureFrame::FrontCover)
                chosen = pic;
    return chosen ? fromBytes(chosen->picture(), chosen->mimeType()) : Artwork{};
}

Artwork readArtwork(TagLib::File* file)
{
    if (auto* mp3 = dynamic_cast<TagLib::MPEG::File*>(file))
        return fromId3v2(mp3->ID3v2Tag());
    if (auto* flac = dynamic_cast<TagLib::FLAC::File*>(file)) {
        for (auto* pic : flac->pictureList())
            if (pic->type() == TagLib::FLAC::Picture::FrontCover || flac->pictureList().size() == 1)
                return fromBytes(pic->data(), pic->mimeType());
        return fromId3v2(flac->ID3v2Tag());
    }
    if (auto* mp4 = dynamic_cast<TagLib::MP4::File*>(file)) {
        if (!mp4->tag() || !mp4->tag()->contains("covr"))
            return {};
        const TagLib::MP4::CoverArtList covers = mp4->tag()->item("covr").toCoverArtList();
        if (covers.isEmpty())
            return {};
        const auto& cover = covers.front();
        return fromBytes(cover.data(), cover.format() == TagLib::MP4::CoverArt::PNG ? "image/png" : "image/jpeg");
    }
    if (auto* wav = dynamic_cast<TagLib::RIFF::WAV::File*>(file))
        return fromId3v2(wav->ID3v2Tag());
    if (auto* aiff = dynamic_cast<TagLib::RIFF::AIFF::File*>(file))
        return fromId3v2(aiff->tag());
    return {};
}

} // namespace

TagSet TagReader::read(const std::string& path)
{
    TagSet tags;
    TagLib::FileRef ref(path.c_str(), false);
    if (ref.isNull() || !ref.file()->isValid())
        return tags;
    const TagLib::PropertyMap properties = ref.file()->properties();
    for (const auto& [name, values] : properties)
        for (const auto& value : values)
            tags.fields.emplace_back(name.to8Bit(true), value.to8Bit(true));
    tags.artwork = readArtwork(ref.file());
    return tags;
}

} // namespace sonvale::engine
