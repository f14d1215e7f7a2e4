// kdh.exe: the converter of KDH mode, for players that want the settings of a
// video file. Its command line is
//   -maxfr 30 -bitexact -vcodec h264 -coder 1 -bufsize 128 -g 250 -s 320x240
//   -b 384 -acodec aac -ac 2 -ar 48000 -ab 64 -f mp4 -i <source> <output>
// and its result an MP4 with AAC-LC sound at 64 kb/s, 48000 Hz, two channels,
// plus, when the source has a picture stream, H.264 video at 320x240, at most
// 30 frames a second, a key frame at least every 250, 384 kb/s.

#include "converters/ConverterAdapter.h"
#include "converters/Words.h"

#include <cstdlib>
#include <iostream>

int main(int argc, char** argv) {
    using namespace ondrel::converters;

    const ArgumentForm form(splitWords("-maxfr 30 -bitexact -vcodec h264 -coder 1 -bufsize 128 "
                                       "-g 250 -s 320x240 -b 384 -acodec aac -ac 2 -ar 48000 "
                                       "-ab 64 -f mp4"));
    std::vector<std::string> options;
    for (const char* group : {
             // The first sound stream, and the first real picture stream if
             // there is one: "V" leaves out cover art, "?" lets a source
             // without video give sound alone.
             "-map 0:a:0 -map 0:V:0?",
             // yuv420p is what H.264 players decode; an RGB source would
             // otherwise keep its full colour resolution.
             "-c:v libx264 -pix_fmt yuv420p -s 320x240 -fpsmax 30 -g 250 -coder cabac",
             "-b:v 384k -maxrate 384k -bufsize 128k",
             "-c:a aac -profile:a aac_low -b:a 64k -ar 48000 -ac 2",
             "-fflags +bitexact -flags:v +bitexact -flags:a +bitexact -f mp4",
         }) {
        const std::vector<std::string> words = splitWords(group);
        options.insert(options.end(), words.begin(), words.end());
    }

    const ConverterAdapter adapter(form, options);
    const char* path = std::getenv("PATH");
    return adapter.run(std::vector<std::string>(argv, argv + argc), path ? path : "", std::cerr);
}
