#pragma once

#include "converters/ConverterAdapter.h"

// Each adapter program names its converter here; the OS's main() around it
// turns the command line into UTF-8 arguments and runs it.
ondrel::converters::ConverterAdapter converterOfThisProgram();
