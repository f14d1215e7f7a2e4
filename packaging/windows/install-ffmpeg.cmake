# Part of `cmake --install` of a whole Windows build (cmake/WindowsPackage.cmake
# sets ONDREL_SOURCE_DIR, ONDREL_BINARY_DIR, ONDREL_VERSION, ONDREL_FFMPEG_DIR):
# FFmpeg into the program folder's ffmpeg\, with its licences and a README
# on its version, its build and where its source code is.
#   ffmpeg\bin\ffmpeg.exe
#   ffmpeg\README.txt, GPL-2.txt, LICENSE.md, x264-COPYING.txt, zlib-LICENSE.txt,
#   copyright-ffmpeg.txt, copyright-x264.txt, copyright-zlib.txt
# It also leaves the FFmpeg folder it used in
# <build>/windows-release/ffmpeg-folder.txt, for release.cmake.

if(ONDREL_FFMPEG_DIR)
    set(folder "${ONDREL_FFMPEG_DIR}")
else()
    find_program(ONDREL_BASH bash REQUIRED)
    # Its progress and errors go to the terminal; only the folder comes back.
    execute_process(COMMAND ${ONDREL_BASH} ${ONDREL_SOURCE_DIR}/packaging/windows/build-ffmpeg
                    OUTPUT_VARIABLE output RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "packaging/windows/build-ffmpeg failed (${status}); no FFmpeg for "
                            "the Windows download")
    endif()
    string(STRIP "${output}" output)
    string(REGEX REPLACE ".*\n" "" folder "${output}")
endif()
foreach(needed ffmpeg.exe versions.txt configure.txt licenses/GPL-2 licenses/ffmpeg-LICENSE.md)
    if(NOT EXISTS "${folder}/${needed}")
        message(FATAL_ERROR "FFmpeg folder ${folder} lacks ${needed}")
    endif()
endforeach()
file(WRITE ${ONDREL_BINARY_DIR}/windows-release/ffmpeg-folder.txt "${folder}")

file(STRINGS "${folder}/versions.txt" versions)
foreach(line IN LISTS versions)
    if(line MATCHES "^([a-z0-9]+) (.+)$")
        string(TOUPPER "${CMAKE_MATCH_1}" package)
        set(${package}_VERSION "${CMAKE_MATCH_2}")
    endif()
endforeach()
# Each line indented by two. Not with an expression anchored at "^": CMake's
# REGEX REPLACE matches "^" anew wherever its previous match ended.
file(READ "${folder}/configure.txt" BUILD_COMMANDS)
string(STRIP "${BUILD_COMMANDS}" BUILD_COMMANDS)
string(REPLACE "\n" "\n  " BUILD_COMMANDS "  ${BUILD_COMMANDS}")
file(GLOB sources RELATIVE "${folder}/source" "${folder}/source/*.dsc" "${folder}/source/*.tar.*")
list(SORT sources)
list(TRANSFORM sources PREPEND "  ")
list(JOIN sources "\n" SOURCE_FILES)

# The texts with Windows line ends, for Notepad.
set(texts ${ONDREL_BINARY_DIR}/package-texts/ffmpeg)
file(REMOVE_RECURSE ${texts})
function(windows_text text name)
    string(REPLACE "\r\n" "\n" text "${text}")
    string(REPLACE "\n" "\r\n" text "${text}")
    file(WRITE ${texts}/${name} "${text}")
endfunction()
file(READ ${ONDREL_SOURCE_DIR}/packaging/windows/ffmpeg-README.txt readme)
string(CONFIGURE "${readme}" readme @ONLY)
windows_text("${readme}" README.txt)
foreach(pair GPL-2:GPL-2.txt ffmpeg-LICENSE.md:LICENSE.md x264-COPYING:x264-COPYING.txt
             zlib-LICENSE:zlib-LICENSE.txt ffmpeg-debian-copyright:copyright-ffmpeg.txt
             x264-debian-copyright:copyright-x264.txt zlib-debian-copyright:copyright-zlib.txt)
    string(REPLACE ":" ";" pair "${pair}")
    list(GET pair 0 from)
    list(GET pair 1 to)
    file(READ "${folder}/licenses/${from}" text)
    windows_text("${text}" ${to})
endforeach()

file(INSTALL "${folder}/ffmpeg.exe" DESTINATION "${CMAKE_INSTALL_PREFIX}/ffmpeg/bin")
file(GLOB written ${texts}/*)
file(INSTALL ${written} DESTINATION "${CMAKE_INSTALL_PREFIX}/ffmpeg")
