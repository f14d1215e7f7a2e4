// ffmpeg.exe: the converter of the default mode. Its command line is
//   -vn -ab 128k -ar 44100 -i <source> <output>
// and its result an MP4 holding the sound alone, AAC-LC at 128 kb/s, 44100 Hz.

#include "converters/ConverterAdapter.h"
#include "converters/Words.h"

#include <cstdlib>
#include <iostream>

int main(int argc, char** argv) {
    using namespace ondrel::converters;

    const ConverterAdapter adapter(ArgumentForm(splitWords("-vn -ab 128k -ar 44100")),
                                   splitWords("-vn -c:a aac -b:a 128k -ar 44100 -f mp4"));
    const char* path = std::getenv("PATH");
    return adapter.run(std::vector<std::string>(argv, argv + argc), path ? path : "", std::cerr);
}
