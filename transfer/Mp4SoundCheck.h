#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace ondrel {

// Reads up to length bytes of one file from offset on; fewer at its end, ""
// past it or when it cannot be read.
using ByteReader = std::function<std::string(std::uint64_t offset, std::size_t length)>;

// Whether a file can go to the card as it is, without a converter: an MP4
// file, whole, whose sound is AAC (LC, or HE with its LC core) and which has
// no picture track. An .m4a may be anything under that name: Apple Lossless,
// a protected song, a file cut short, no MP4 at all. Those are converted.
bool holdsAacInMp4(const ByteReader& read);

} // namespace ondrel
