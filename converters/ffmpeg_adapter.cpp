// ffmpeg.exe: the converter of the default mode (see Converters.h).

#include "converters/AdapterMain.h"
#include "converters/Converters.h"

ondrel::converters::ConverterAdapter converterOfThisProgram() {
    return ondrel::converters::defaultModeAdapter();
}
