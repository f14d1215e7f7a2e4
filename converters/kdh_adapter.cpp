// kdh.exe: the converter of KDH mode (see Converters.h).

#include "converters/AdapterMain.h"
#include "converters/Converters.h"

ondrel::converters::ConverterAdapter converterOfThisProgram() {
    return ondrel::converters::kdhModeAdapter();
}
