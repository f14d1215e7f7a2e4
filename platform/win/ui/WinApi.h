#pragma once

// <windows.h> for the window toolkit's files. Its MessageBox macro would
// rename the window interface's MessageBox class to MessageBoxA or MessageBoxW
// in every file that sees both; the toolkit calls MessageBoxW by name.
#include <windows.h>

#undef MessageBox
