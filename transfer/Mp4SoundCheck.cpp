#include "transfer/Mp4SoundCheck.h"

#include <optional>
#include <string_view>
#include <vector>

namespace ondrel {

namespace {

// The movie header of a song is some kilobytes; one of an hour's film a few
// megabytes. Larger is no song for the card, and is not read into memory.
constexpr std::uint64_t kLargestMovieHeader = 64u << 20;
// A song has a handful of top-level boxes; a file of many thousands is no song.
constexpr int kMostTopLevelBoxes = 4096;

std::uint32_t bigEndian(std::string_view bytes, std::size_t at, std::size_t width) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < width; ++i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

// One box: its type and the bytes inside it, within a box held in memory.
struct Box {
    std::string_view type;
    std::string_view payload;
};

// The boxes that follow one another in bytes; nullopt when one of them
// claims more than there is.
std::optional<std::vector<Box>> boxesIn(std::string_view bytes) {
    std::vector<Box> boxes;
    std::size_t at = 0;
    while (at < bytes.size()) {
        if (bytes.size() - at < 8)
            return std::nullopt;
        std::uint64_t size = bigEndian(bytes, at, 4);
        std::size_t header = 8;
        if (size == 1) {
            if (bytes.size() - at < 16)
                return std::nullopt;
            size =
                (std::uint64_t{bigEndian(bytes, at + 8, 4)} << 32) | bigEndian(bytes, at + 12, 4);
            header = 16;
        } else if (size == 0) {
            size = bytes.size() - at;
        }
        if (size < header || size > bytes.size() - at)
            return std::nullopt;
        boxes.push_back({bytes.substr(at + 4, 4),
                         bytes.substr(at + header, static_cast<std::size_t>(size) - header)});
        at += static_cast<std::size_t>(size);
    }
    return boxes;
}

std::optional<Box> child(std::string_view bytes, std::string_view type) {
    const auto boxes = boxesIn(bytes);
    if (!boxes)
        return std::nullopt;
    for (const Box& box : *boxes) {
        if (box.type == type)
            return box;
    }
    return std::nullopt;
}

// An MPEG-4 descriptor's tag and contents at the start of bytes; the length
// is written in up to four bytes of seven bits each.
struct Descriptor {
    int tag = 0;
    std::string_view contents;
};

std::optional<Descriptor> descriptorAt(std::string_view bytes) {
    if (bytes.empty())
        return std::nullopt;
    Descriptor found;
    found.tag = static_cast<unsigned char>(bytes[0]);
    std::size_t length = 0;
    std::size_t at = 1;
    for (int i = 0;; ++i) {
        if (at >= bytes.size() || i == 4)
            return std::nullopt;
        const auto byte = static_cast<unsigned char>(bytes[at++]);
        length = (length << 7) | (byte & 0x7f);
        if ((byte & 0x80) == 0)
            break;
    }
    if (length > bytes.size() - at)
        return std::nullopt;
    found.contents = bytes.substr(at, length);
    return found;
}

// Whether an "esds" box describes AAC a card plays: MPEG-4 audio of object
// type LC, SBR or PS (HE-AAC, whose core is LC), or MPEG-2 AAC LC.
bool describesAac(std::string_view esds) {
    if (esds.size() < 4)
        return false;
    const auto stream = descriptorAt(esds.substr(4));
    if (!stream || stream->tag != 0x03 || stream->contents.size() < 3)
        return false;
    const auto flags = static_cast<unsigned char>(stream->contents[2]);
    std::size_t at = 3;
    if ((flags & 0x80) != 0)
        at += 2;
    if ((flags & 0x40) != 0) {
        if (at >= stream->contents.size())
            return false;
        at += 1 + static_cast<unsigned char>(stream->contents[at]);
    }
    if ((flags & 0x20) != 0)
        at += 2;
    if (at > stream->contents.size())
        return false;
    const auto config = descriptorAt(stream->contents.substr(at));
    if (!config || config->tag != 0x04 || config->contents.size() < 13)
        return false;
    const auto objectType = static_cast<unsigned char>(config->contents[0]);
    if (objectType == 0x67)
        return true;
    if (objectType != 0x40)
        return false;
    const auto specific = descriptorAt(config->contents.substr(13));
    if (!specific || specific->tag != 0x05 || specific->contents.empty())
        return false;
    int audioObjectType = static_cast<unsigned char>(specific->contents[0]) >> 3;
    if (audioObjectType == 31) {
        if (specific->contents.size() < 2)
            return false;
        audioObjectType = 32 + ((static_cast<unsigned char>(specific->contents[0]) & 0x07) << 3 |
                                static_cast<unsigned char>(specific->contents[1]) >> 5);
    }
    return audioObjectType == 2 || audioObjectType == 5 || audioObjectType == 29;
}

// Whether one sample description is AAC: "mp4a" with an "esds" box, in
// QuickTime's later layouts also inside a "wave" box.
bool isAacEntry(const Box& entry) {
    if (entry.type != "mp4a")
        return false;
    // The sound sample entry's fields: 28 bytes; QuickTime's version 1 adds
    // 16, version 2 adds 36.
    if (entry.payload.size() < 28)
        return false;
    const std::uint32_t version = bigEndian(entry.payload, 8, 2);
    const std::size_t fields = version == 0 ? 28 : version == 1 ? 44 : version == 2 ? 64 : 0;
    if (fields == 0 || entry.payload.size() < fields)
        return false;
    const std::string_view children = entry.payload.substr(fields);
    if (const auto esds = child(children, "esds"))
        return describesAac(esds->payload);
    if (const auto wave = child(children, "wave")) {
        if (const auto esds = child(wave->payload, "esds"))
            return describesAac(esds->payload);
    }
    return false;
}

enum class Track { Sound, Picture, Other, Unreadable, OtherSound };

Track kindOf(std::string_view trak) {
    const auto mdia = child(trak, "mdia");
    if (!mdia)
        return Track::Unreadable;
    const auto hdlr = child(mdia->payload, "hdlr");
    if (!hdlr || hdlr->payload.size() < 12)
        return Track::Unreadable;
    const std::string_view handler = hdlr->payload.substr(8, 4);
    if (handler == "vide")
        return Track::Picture;
    if (handler != "soun")
        return Track::Other;
    const auto minf = child(mdia->payload, "minf");
    const auto stbl = minf ? child(minf->payload, "stbl") : std::nullopt;
    const auto stsd = stbl ? child(stbl->payload, "stsd") : std::nullopt;
    if (!stsd || stsd->payload.size() < 8)
        return Track::Unreadable;
    const std::uint32_t count = bigEndian(stsd->payload, 4, 4);
    const auto entries = boxesIn(stsd->payload.substr(8));
    if (!entries || entries->size() != count || entries->empty())
        return Track::Unreadable;
    for (const Box& entry : *entries) {
        if (!isAacEntry(entry))
            return Track::OtherSound;
    }
    return Track::Sound;
}

} // namespace

bool holdsAacInMp4(const ByteReader& read) {
    std::string movie;
    bool first = true;
    std::uint64_t at = 0;
    for (int boxes = 0;; ++boxes) {
        const std::string header = read(at, 16);
        if (header.empty())
            break;
        if (header.size() < 8 || boxes == kMostTopLevelBoxes)
            return false;
        const std::string_view type = std::string_view(header).substr(4, 4);
        // Every MP4 file begins with its file type.
        if (first && type != "ftyp")
            return false;
        first = false;
        std::uint64_t size = bigEndian(header, 0, 4);
        std::uint64_t headerSize = 8;
        // A box that runs to the end of the file is the last one, whole. Only
        // the short size says so; a 64-bit size of 0 is no size at all.
        const bool toTheEnd = size == 0;
        if (size == 1) {
            if (header.size() < 16)
                return false;
            size = (std::uint64_t{bigEndian(header, 8, 4)} << 32) | bigEndian(header, 12, 4);
            headerSize = 16;
        }
        if (!toTheEnd && size < headerSize)
            return false;
        if (type == "moov") {
            if (!movie.empty() || toTheEnd || size - headerSize > kLargestMovieHeader)
                return false;
            movie = read(at + headerSize, static_cast<std::size_t>(size - headerSize));
            if (movie.size() != size - headerSize)
                return false;
        } else if (!toTheEnd && read(at + size - 1, 1).size() != 1) {
            // The file ends inside this box: it was cut short.
            return false;
        }
        if (toTheEnd)
            break;
        at += size;
    }
    if (movie.empty())
        return false;
    const auto tracks = boxesIn(movie);
    if (!tracks)
        return false;
    bool sound = false;
    for (const Box& box : *tracks) {
        if (box.type != "trak")
            continue;
        switch (kindOf(box.payload)) {
        case Track::Sound:
            sound = true;
            break;
        case Track::Other:
            break;
        case Track::Picture:
        case Track::Unreadable:
        case Track::OtherSound:
            return false;
        }
    }
    return sound;
}

} // namespace ondrel
