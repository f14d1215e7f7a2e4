#include "converters/Converters.h"

#include "converters/Words.h"

namespace ondrel::converters {

ConverterAdapter defaultModeAdapter() {
    return ConverterAdapter(ArgumentForm(splitWords("-vn -ab 128k -ar 44100")),
                            splitWords("-vn -c:a aac -b:a 128k -ar 44100 -f mp4"));
}

ConverterAdapter kdhModeAdapter() {
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
    return ConverterAdapter(form, options);
}

} // namespace ondrel::converters
