#pragma once

// Small MP4 files built box by box, as a song's file holds them: enough of
// the structure for what looks into it, with any bytes as its sound.

#include <cstdint>
#include <string>
#include <vector>

namespace ondrel::test::mp4 {

inline std::string bigEndian(std::uint64_t value, int width) {
    std::string bytes;
    for (int shift = (width - 1) * 8; shift >= 0; shift -= 8)
        bytes += static_cast<char>((value >> shift) & 0xff);
    return bytes;
}

inline std::string box(const std::string& type, const std::string& payload) {
    return bigEndian(8 + payload.size(), 4) + type + payload;
}

// An MPEG-4 descriptor; its length in the four-byte form some muxers write.
inline std::string descriptor(int tag, const std::string& contents, bool longLength = false) {
    std::string length;
    if (longLength) {
        length = std::string("\x80\x80\x80", 3) + static_cast<char>(contents.size());
    } else {
        length = std::string(1, static_cast<char>(contents.size()));
    }
    return std::string(1, static_cast<char>(tag)) + length + contents;
}

// "esds" for a stream of this object type (0x40 MPEG-4 audio, 0x67 MPEG-2
// AAC LC, 0x6B MP3) whose MPEG-4 audio object type is audioObjectType.
inline std::string esds(int objectType, int audioObjectType, bool longLength = false) {
    const std::string specific =
        std::string(1, static_cast<char>(audioObjectType << 3 | 0x02)) + std::string("\x10", 1);
    const std::string config = std::string(1, static_cast<char>(objectType)) + "\x15" +
                               bigEndian(0, 3) + bigEndian(128000, 4) + bigEndian(128000, 4) +
                               descriptor(0x05, specific, longLength);
    const std::string stream = bigEndian(1, 2) + std::string(1, '\0') +
                               descriptor(0x04, config, longLength) +
                               descriptor(0x06, std::string("\x02", 1), longLength);
    return box("esds", bigEndian(0, 4) + descriptor(0x03, stream, longLength));
}

// A sound sample entry of this type with these boxes inside; QuickTime's
// version 1 layout carries 16 more bytes of fields.
inline std::string soundEntry(const std::string& type, const std::string& children,
                              int version = 0) {
    std::string fields = std::string(6, '\0') + bigEndian(1, 2) + bigEndian(version, 2) +
                         bigEndian(0, 2) + bigEndian(0, 4) + bigEndian(2, 2) + bigEndian(16, 2) +
                         bigEndian(0, 4) + bigEndian(44100u << 16, 4);
    if (version == 1)
        fields += std::string(16, '\0');
    return box(type, fields + children);
}

inline std::string track(const std::string& handler, const std::vector<std::string>& entries) {
    std::string list = bigEndian(0, 4) + bigEndian(entries.size(), 4);
    for (const std::string& entry : entries)
        list += entry;
    const std::string hdlr =
        box("hdlr", bigEndian(0, 4) + bigEndian(0, 4) + handler + std::string(13, '\0'));
    return box("trak", box("tkhd", std::string(84, '\0')) +
                           box("mdia", box("mdhd", std::string(24, '\0')) + hdlr +
                                           box("minf", box("stbl", box("stsd", list)))));
}

inline std::string aacTrack(int audioObjectType = 2) {
    return track("soun", {soundEntry("mp4a", esds(0x40, audioObjectType))});
}

// A whole file: its type, the movie with these tracks, then the sound bytes
// (or the sound first, as files made for streaming are not).
inline std::string file(const std::vector<std::string>& tracks, const std::string& sound,
                        bool movieLast = false) {
    std::string movie = box("mvhd", std::string(100, '\0'));
    for (const std::string& one : tracks)
        movie += one;
    const std::string ftyp = box("ftyp", std::string("M4A ") + bigEndian(0, 4) + "M4A mp42isom");
    const std::string moov = box("moov", movie);
    const std::string mdat = box("mdat", sound);
    return movieLast ? ftyp + mdat + moov : ftyp + moov + mdat;
}

// A song of AAC-LC in an MP4 file, as a music store sells it; the sound bytes
// make each one recognisable.
inline std::string aacSong(const std::string& sound) {
    return file({aacTrack()}, sound);
}

// The same song in Apple Lossless, which keeps the ".m4a" name.
inline std::string alacSong(const std::string& sound) {
    return file({track("soun", {soundEntry("alac", box("alac", std::string(28, '\0')))})}, sound);
}

} // namespace ondrel::test::mp4
