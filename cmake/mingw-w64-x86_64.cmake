# Cross-compiles for 64-bit Windows with MinGW-w64 from a Linux host:
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#         -DONDREL_PLATFORM_ONLY=ON
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ONDREL_MINGW_TRIPLE x86_64-w64-mingw32)

# The posix threads variant carries std::thread and friends; the win32 one
# lacks them in GCC 12. Fall back to the plain name where no variant exists.
find_program(ONDREL_MINGW_CXX NAMES ${ONDREL_MINGW_TRIPLE}-g++-posix ${ONDREL_MINGW_TRIPLE}-g++
             REQUIRED)
find_program(ONDREL_MINGW_CC NAMES ${ONDREL_MINGW_TRIPLE}-gcc-posix ${ONDREL_MINGW_TRIPLE}-gcc)
find_program(ONDREL_MINGW_RC NAMES ${ONDREL_MINGW_TRIPLE}-windres)
set(CMAKE_CXX_COMPILER ${ONDREL_MINGW_CXX})
if(ONDREL_MINGW_CC)
    set(CMAKE_C_COMPILER ${ONDREL_MINGW_CC})
endif()
if(ONDREL_MINGW_RC)
    set(CMAKE_RC_COMPILER ${ONDREL_MINGW_RC})
endif()

set(CMAKE_FIND_ROOT_PATH /usr/${ONDREL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No CMAKE_CROSSCOMPILING_EMULATOR: ctest would run Wine in the user's own
# prefix. .ci/wine-contract-tests runs the tests in a throw-away one.
