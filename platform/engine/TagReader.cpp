#include "platform/engine/TagReader.h"

#include <set>

#include <taglib/aifffile.h>
#include <taglib/apetag.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/fileref.h>
#include <taglib/flacfile.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/tpropertymap.h>
#include <taglib/wavfile.h>
#include <taglib/wavpackfile.h>
#include <taglib/xiphcomment.h>

#include "platform/engine/MusicBrainzNames.h"

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

Artwork fromPictures(TagLib::List<TagLib::FLAC::Picture*> pictures)
{
    for (auto* pic : pictures)
        if (pic->type() == TagLib::FLAC::Picture::FrontCover || pictures.size() == 1)
            return fromBytes(pic->data(), pic->mimeType());
    return {};
}

// APE's cover item: a file name, a zero byte, then the picture.
Artwork fromApe(TagLib::APE::Tag* tag)
{
    if (!tag)
        return {};
    const auto& items = tag->itemListMap();
    const auto item = items.find("COVER ART (FRONT)");
    if (item == items.end() || item->second.type() != TagLib::APE::Item::Binary)
        return {};
    const TagLib::ByteVector data = item->second.binaryData();
    const int nameEnd = data.find('\0');
    return nameEnd < 0 ? Artwork{} : fromBytes(data.mid(unsigned(nameEnd) + 1), {});
}

Artwork readArtwork(TagLib::File* file)
{
    if (auto* mp3 = dynamic_cast<TagLib::MPEG::File*>(file))
        return fromId3v2(mp3->ID3v2Tag());
    if (auto* flac = dynamic_cast<TagLib::FLAC::File*>(file)) {
        const Artwork art = fromPictures(flac->pictureList());
        return art.empty() ? fromId3v2(flac->ID3v2Tag()) : art;
    }
    if (auto* xiph = dynamic_cast<TagLib::Ogg::XiphComment*>(file->tag()))
        return fromPictures(xiph->pictureList());
    if (auto* wavpack = dynamic_cast<TagLib::WavPack::File*>(file))
        return fromApe(wavpack->APETag());
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

// Fields that describe the source file rather than the recording: its encoder and its channel
// layout would be wrong on the result.
bool describesTheSource(const std::string& name)
{
    static const std::set<std::string> kNames{"ENCODER", "ENCODING", "ENCODEDBY", "ENCODERSETTINGS",
                                              "ENCODER_OPTIONS", "WAVEFORMATEXTENSIBLE_CHANNEL_MASK", "ITUNSMPB",
                                              "LENGTH"};
    return kNames.count(name) != 0;
}

// Vorbis comments keep a track's total apart (TRACKNUMBER=3, TRACKTOTAL=12); the neutral form
// joins them ("3/12"), as ID3 and MP4 store them.
void joinTotal(TagSet& tags, const std::string& numberName, std::initializer_list<const char*> totalNames)
{
    std::string total;
    for (const char* name : totalNames) {
        if (total.empty())
            total = tags.value(name);
        std::erase_if(tags.fields, [&](const auto& field) { return field.first == name; });
    }
    if (total.empty())
        return;
    for (auto& [name, value] : tags.fields)
        if (name == numberName && value.find('/') == std::string::npos) {
            value += "/" + total;
            return;
        }
}

// TagLib reads only some of the MusicBrainz ids of an MP4 file (its free-form items).
void addMp4MusicBrainzIds(TagLib::File* file, TagSet& tags)
{
    auto* mp4 = dynamic_cast<TagLib::MP4::File*>(file);
    if (!mp4 || !mp4->tag())
        return;
    const std::string prefix = "----:com.apple.iTunes:";
    for (const auto& [key, item] : mp4->tag()->itemMap()) {
        const std::string name = key.to8Bit(true);
        if (!name.starts_with(prefix) || item.toStringList().isEmpty())
            continue;
        const std::string neutral = MusicBrainzNames::neutralName(TagLib::String(name.substr(prefix.size())).upper().to8Bit(true));
        if (!MusicBrainzNames::descriptionOf(neutral).empty() && tags.value(neutral).empty())
            tags.fields.emplace_back(neutral, item.toStringList().front().to8Bit(true));
    }
}

} // namespace

TagSet TagReader::read(const std::string& path)
{
    TagSet tags;
    TagLib::FileRef ref(path.c_str(), false);
    if (ref.isNull() || !ref.file()->isValid())
        return tags;
    const TagLib::PropertyMap properties = ref.file()->properties();
    for (const auto& [name, values] : properties) {
        const std::string key = MusicBrainzNames::neutralName(name.to8Bit(true));
        if (!describesTheSource(key))
            for (const auto& value : values)
                tags.fields.emplace_back(key, value.to8Bit(true));
    }
    addMp4MusicBrainzIds(ref.file(), tags);
    joinTotal(tags, "TRACKNUMBER", {"TRACKTOTAL", "TOTALTRACKS"});
    joinTotal(tags, "DISCNUMBER", {"DISCTOTAL", "TOTALDISCS"});
    tags.artwork = readArtwork(ref.file());
    return tags;
}

} // namespace sonvale::engine
