#include "platform/engine/TagWriter.h"

#include <fstream>
#include <iterator>

#include <taglib/aifffile.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/flacfile.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/tpropertymap.h>
#include <taglib/wavfile.h>
#include <taglib/xiphcomment.h>

namespace sonvale::engine {
namespace {

using TagLib::ID3v2::AttachedPictureFrame;

TagLib::PropertyMap toProperties(const TagSet& tags)
{
    TagLib::PropertyMap map;
    for (const auto& [name, value] : tags.fields)
        map[TagLib::String(name, TagLib::String::UTF8).upper()].append(TagLib::String(value, TagLib::String::UTF8));
    return map;
}

TagLib::ByteVector bytesOf(const Artwork& art)
{
    return TagLib::ByteVector(art.data.data(), static_cast<unsigned>(art.data.size()));
}

void setId3v2(TagLib::ID3v2::Tag& tag, const TagSet& tags)
{
    tag.setProperties(toProperties(tags));
    tag.removeFrames("APIC");
    if (tags.artwork.empty())
        return;
    auto* frame = new AttachedPictureFrame;
    frame->setType(AttachedPictureFrame::FrontCover);
    frame->setMimeType(tags.artwork.mimeType);
    frame->setPicture(bytesOf(tags.artwork));
    tag.addFrame(frame);
}

bool isVersion3(TagLayout layout)
{
    return layout == TagLayout::Id3v23 || layout == TagLayout::Id3v23WithV1 || layout == TagLayout::Id3v23WithInfo
           || layout == TagLayout::VorbisWithId3v23;
}

Status saved(bool ok)
{
    return ok ? Status::success() : Status::failure("cannot write the tags");
}

Status writeMp3(const std::string& path, const TagSet& tags, TagLayout layout)
{
    TagLib::MPEG::File file(path.c_str(), false);
    if (!file.isValid())
        return Status::failure("cannot open the result to write tags");
    if (tags.empty())
        return saved(file.strip());
    setId3v2(*file.ID3v2Tag(true), tags);
    int kinds = TagLib::MPEG::File::ID3v2;
    if (layout == TagLayout::Id3v23WithV1 || layout == TagLayout::Id3v24WithV1) {
        file.ID3v1Tag(true)->setProperties(toProperties(tags));
        kinds |= TagLib::MPEG::File::ID3v1;
    }
    return saved(file.save(kinds, TagLib::File::StripOthers, isVersion3(layout) ? TagLib::ID3v2::v3 : TagLib::ID3v2::v4,
                           TagLib::File::DoNotDuplicate));
}

// TagLib writes the ID3v2 tag of a FLAC file only as version 2.4: a 2.3 tag is rendered here and
// put in front of the file, where readers look for it.
Status prependId3v2(const std::string& path, const TagSet& tags, TagLib::ID3v2::Version version)
{
    TagLib::ID3v2::Tag tag;
    setId3v2(tag, tags);
    const TagLib::ByteVector header = tag.render(version);
    std::ifstream in(path, std::ios::binary);
    const std::string audio{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    in.close();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(header.data(), header.size());
    out.write(audio.data(), std::streamsize(audio.size()));
    return out.flush() ? Status::success() : Status::failure("cannot write the tags");
}

Status writeFlac(const std::string& path, const TagSet& tags, TagLayout layout)
{
    TagLib::FLAC::File file(path.c_str(), false);
    if (!file.isValid())
        return Status::failure("cannot open the result to write tags");
    file.xiphComment(true)->setProperties(toProperties(tags));
    file.removePictures();
    if (!tags.artwork.empty()) {
        auto* picture = new TagLib::FLAC::Picture;
        picture->setType(TagLib::FLAC::Picture::FrontCover);
        picture->setMimeType(tags.artwork.mimeType);
        picture->setData(bytesOf(tags.artwork));
        file.addPicture(picture);
    }
    if (layout == TagLayout::VorbisWithId3v24 && !tags.empty())
        setId3v2(*file.ID3v2Tag(true), tags);
    else
        file.strip(TagLib::FLAC::File::ID3v1 | TagLib::FLAC::File::ID3v2);
    if (!file.save())
        return saved(false);
    if (layout == TagLayout::VorbisWithId3v23 && !tags.empty())
        return prependId3v2(path, tags, TagLib::ID3v2::v3);
    return Status::success();
}

Status writeMp4(const std::string& path, const TagSet& tags)
{
    TagLib::MP4::File file(path.c_str(), false);
    if (!file.isValid() || !file.tag())
        return Status::failure("cannot open the result to write tags");
    TagLib::MP4::Tag* tag = file.tag();
    for (const auto& [key, item] : tag->itemMap())
        tag->removeItem(key);
    tag->setProperties(toProperties(tags));
    if (!tags.artwork.empty()) {
        const auto format = tags.artwork.mimeType == "image/png" ? TagLib::MP4::CoverArt::PNG : TagLib::MP4::CoverArt::JPEG;
        TagLib::MP4::CoverArtList covers;
        covers.append(TagLib::MP4::CoverArt(format, bytesOf(tags.artwork)));
        tag->setItem("covr", covers);
    }
    return saved(file.save());
}

Status writeWav(const std::string& path, const TagSet& tags, TagLayout layout)
{
    TagLib::RIFF::WAV::File file(path.c_str(), false);
    if (!file.isValid())
        return Status::failure("cannot open the result to write tags");
    if (tags.empty())
        return saved(file.save(TagLib::RIFF::WAV::File::NoTags, TagLib::File::StripOthers));
    int kinds = 0;
    if (layout != TagLayout::InfoOnly) {
        setId3v2(*file.ID3v2Tag(), tags);
        kinds |= TagLib::RIFF::WAV::File::ID3v2;
    }
    if (layout == TagLayout::InfoOnly || layout == TagLayout::Id3v23WithInfo || layout == TagLayout::Id3v24WithInfo) {
        file.InfoTag()->setProperties(toProperties(tags));
        kinds |= TagLib::RIFF::WAV::File::Info;
    }
    return saved(file.save(TagLib::RIFF::WAV::File::TagTypes(kinds), TagLib::File::StripOthers,
                           isVersion3(layout) ? TagLib::ID3v2::v3 : TagLib::ID3v2::v4));
}

Status writeAiff(const std::string& path, const TagSet& tags, TagLayout layout)
{
    TagLib::RIFF::AIFF::File file(path.c_str(), false);
    if (!file.isValid() || !file.tag())
        return Status::failure("cannot open the result to write tags");
    if (tags.empty() && !file.hasID3v2Tag())
        return Status::success();
    setId3v2(*file.tag(), tags);
    return saved(file.save(isVersion3(layout) ? TagLib::ID3v2::v3 : TagLib::ID3v2::v4));
}

} // namespace

Status TagWriter::write(const std::string& path, const TagSet& tags, const EncoderPlan& plan)
{
    switch (plan.format) {
    case OutputFormat::Mp3: return writeMp3(path, tags, plan.tagLayout);
    case OutputFormat::Flac: return writeFlac(path, tags, plan.tagLayout);
    case OutputFormat::M4a: return writeMp4(path, tags);
    case OutputFormat::Wav: return writeWav(path, tags, plan.tagLayout);
    case OutputFormat::Aiff: return writeAiff(path, tags, plan.tagLayout);
    }
    return Status::failure("unknown output format");
}

} // namespace sonvale::engine
