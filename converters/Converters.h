#pragma once

#include "converters/ConverterAdapter.h"

namespace ondrel::converters {

// The two converters the program starts, each as its old command line and
// the present-day ffmpeg options that do the same work. The Linux and the
// Windows adapters are built from these alone, so what the Linux tests prove
// against a real ffmpeg is what Windows sends too.

// ffmpeg.exe, the converter of the default mode:
//   -vn -ab 128k -ar 44100 -i <source> <output>
// gives an MP4 holding the sound alone, AAC-LC at 128 kb/s, 44100 Hz.
ConverterAdapter defaultModeAdapter();

// kdh.exe, the converter of KDH mode, for players that want the settings of
// a video file:
//   -maxfr 30 -bitexact -vcodec h264 -coder 1 -bufsize 128 -g 250 -s 320x240
//   -b 384 -acodec aac -ac 2 -ar 48000 -ab 64 -f mp4 -i <source> <output>
// gives an MP4 with AAC-LC sound at 64 kb/s, 48000 Hz, two channels, plus,
// when the source has a picture stream, H.264 video at 320x240, at most 30
// frames a second, a key frame at least every 250, 384 kb/s.
ConverterAdapter kdhModeAdapter();

} // namespace ondrel::converters
