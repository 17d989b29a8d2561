#include "platform/engine/TagWriter.h"

#include <cstdio>
#include <cstring>
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
#include <taglib/textidentificationframe.h>
#include <taglib/tpropertymap.h>
#include <taglib/wavfile.h>
#include <taglib/xiphcomment.h>

#include "platform/engine/Latin1Text.h"
#include "platform/engine/MusicBrainzNames.h"
#include "platform/engine/artwork/PictureGeometry.h"

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

// TagLib writes the descriptions of the MusicBrainz frames it doesn't know in capitals; taggers
// look for them as they name them.
void nameMusicBrainzFrames(TagLib::ID3v2::Tag& tag)
{
    for (auto* frame : tag.frameListMap()["TXXX"])
        if (auto* text = dynamic_cast<TagLib::ID3v2::UserTextIdentificationFrame*>(frame)) {
            const std::string name = text->description().upper().to8Bit(true);
            std::string description = MusicBrainzNames::descriptionOf(MusicBrainzNames::neutralName(name));
            if (!description.empty())
                text->setDescription(TagLib::String(description, TagLib::String::UTF8));
        }
}

void setId3v2(TagLib::ID3v2::Tag& tag, const TagSet& tags)
{
    tag.setProperties(toProperties(tags));
    nameMusicBrainzFrames(tag);
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
        // ID3v1 holds Latin-1 only: TagLib leaves out any text that isn't, the closest form is kept.
        TagSet latin1 = tags;
        for (auto& [name, value] : latin1.fields)
            value = TagLib::String(Latin1Text::closest(value), TagLib::String::Latin1).to8Bit(true);
        file.ID3v1Tag(true)->setProperties(toProperties(latin1));
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

// Vorbis comments keep totals apart: "3/12" is written as TRACKNUMBER=3 and TRACKTOTAL=12.
TagLib::PropertyMap vorbisProperties(const TagSet& tags)
{
    TagLib::PropertyMap map = toProperties(tags);
    for (const auto& [number, total] : {std::pair{"TRACKNUMBER", "TRACKTOTAL"}, std::pair{"DISCNUMBER", "DISCTOTAL"}}) {
        if (!map.contains(number) || map[number].isEmpty())
            continue;
        const TagLib::String value = map[number].front();
        const int slash = value.find("/");
        if (slash < 0)
            continue;
        map.replace(number, TagLib::StringList(value.substr(0, unsigned(slash))));
        if (const TagLib::String rest = value.substr(unsigned(slash) + 1); !rest.isEmpty())
            map.replace(total, TagLib::StringList(rest));
    }
    return map;
}

// A FLAC picture block states the picture's size and depth beside it.
TagLib::FLAC::Picture* flacPicture(const Artwork& art)
{
    auto* picture = new TagLib::FLAC::Picture;
    picture->setType(TagLib::FLAC::Picture::FrontCover);
    picture->setMimeType(art.mimeType);
    picture->setData(bytesOf(art));
    const auto* bytes = reinterpret_cast<const uint8_t*>(art.data.data());
    if (const auto geometry = artwork::pictureGeometryOf({bytes, art.data.size()})) {
        picture->setWidth(geometry->width);
        picture->setHeight(geometry->height);
        picture->setColorDepth(geometry->bitsPerPixel);
        picture->setNumColors(geometry->paletteColors);
    }
    return picture;
}

Status writeFlac(const std::string& path, const TagSet& tags, TagLayout layout)
{
    TagLib::FLAC::File file(path.c_str(), false);
    if (!file.isValid())
        return Status::failure("cannot open the result to write tags");
    file.xiphComment(true)->setProperties(vorbisProperties(tags));
    file.removePictures();
    if (!tags.artwork.empty())
        file.addPicture(flacPicture(tags.artwork));
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

// iTunSMPB: priming, padding and length in hex, in the fields and widths players read.
std::string itunesGapless(const GaplessInfo& gapless)
{
    char text[128];
    std::snprintf(text, sizeof text,
                  " 00000000 %08llX %08llX %016llX 00000000 00000000 00000000 00000000 00000000 00000000 00000000 00000000",
                  (unsigned long long)gapless.priming, (unsigned long long)gapless.padding,
                  (unsigned long long)gapless.frames);
    return text;
}

Status writeMp4(const std::string& path, const TagSet& tags, const std::optional<GaplessInfo>& gapless)
{
    TagLib::MP4::File file(path.c_str(), false);
    if (!file.isValid() || !file.tag())
        return Status::failure("cannot open the result to write tags");
    TagLib::MP4::Tag* tag = file.tag();
    for (const auto& [key, item] : tag->itemMap())
        tag->removeItem(key);
    tag->setProperties(toProperties(tags));
    // TagLib's MP4 names only some of these; every one goes under the name taggers use.
    for (const auto& [name, value] : tags.fields)
        if (const std::string description = MusicBrainzNames::descriptionOf(name); !description.empty())
            tag->setItem("----:com.apple.iTunes:" + description,
                         TagLib::StringList(TagLib::String(value, TagLib::String::UTF8)));
    if (!tags.artwork.empty()) {
        const auto format = tags.artwork.mimeType == "image/png" ? TagLib::MP4::CoverArt::PNG : TagLib::MP4::CoverArt::JPEG;
        TagLib::MP4::CoverArtList covers;
        covers.append(TagLib::MP4::CoverArt(format, bytesOf(tags.artwork)));
        tag->setItem("covr", covers);
    }
    if (gapless)
        tag->setItem("----:com.apple.iTunes:iTunSMPB", TagLib::StringList(itunesGapless(*gapless)));
    return saved(file.save());
}

bool isRf64(const std::string& path)
{
    char magic[4] = {};
    std::ifstream(path, std::ios::binary).read(magic, sizeof magic);
    return std::memcmp(magic, "RF64", 4) == 0;
}

Status writeWav(const std::string& path, const TagSet& tags, TagLayout layout, std::vector<std::string>& notes)
{
    // TagLib would rewrite the 64-bit sizes of an RF64 file as 32-bit ones and break it.
    if (isRf64(path)) {
        if (!tags.empty())
            notes.push_back("no tags: WAV files over 4 GB can't carry them");
        return Status::success();
    }
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

Status TagWriter::write(const std::string& path, const TagSet& tags, const EncoderPlan& plan,
                       const std::optional<GaplessInfo>& gapless, std::vector<std::string>& notes)
{
    switch (plan.format) {
    case OutputFormat::Mp3: return writeMp3(path, tags, plan.tagLayout);
    case OutputFormat::Flac: return writeFlac(path, tags, plan.tagLayout);
    case OutputFormat::M4a: return writeMp4(path, tags, gapless);
    case OutputFormat::Wav: return writeWav(path, tags, plan.tagLayout, notes);
    case OutputFormat::Aiff: return writeAiff(path, tags, plan.tagLayout);
    }
    return Status::failure("unknown output format");
}

} // namespace sonvale::engine
