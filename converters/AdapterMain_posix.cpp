#include "converters/AdapterMain.h"

#include <cstdlib>
#include <iostream>

int main(int argc, char** argv) {
    const char* path = std::getenv("PATH");
    return converterOfThisProgram().run(std::vector<std::string>(argv, argv + argc),
                                        path ? path : "", std::cerr);
}
