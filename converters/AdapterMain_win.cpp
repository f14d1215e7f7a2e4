#include "converters/AdapterMain.h"

#include "converters/WideText_win.h"

#include <cstdlib>
#include <iostream>

// The arguments as the C runtime split them, in UTF-16, so that any name
// arrives whatever the code page; everything past here is UTF-8.
int wmain(int argc, wchar_t** argv) {
    using ondrel::converters::win::toUtf8;
    std::vector<std::string> arguments;
    for (int index = 0; index < argc; ++index)
        arguments.push_back(toUtf8(argv[index]));
    const wchar_t* path = _wgetenv(L"PATH");
    return converterOfThisProgram().run(arguments, path ? toUtf8(path) : std::string(), std::cerr);
}
