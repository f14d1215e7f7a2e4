# The Windows download, Ondrel-<version>-win64.zip, made by
#   cmake --build <Windows build> --target Ondrel ondrel_ffmpeg_adapter ondrel_kdh_adapter
#   cd <Windows build> && cpack -G ZIP
# It holds what the build installs (Ondrel.exe when the build makes it, the
# two converters), the README for Windows users and an ffmpeg\bin\ folder that
# holds only a note on what goes there. No FFmpeg binary is shipped.

# Notepad of older Windows shows a text with bare LF line ends as one line.
function(ondrel_windows_text source destination_folder name)
    file(READ ${source} text)
    string(REPLACE "\r\n" "\n" text "${text}")
    string(REPLACE "\n" "\r\n" text "${text}")
    set(written ${CMAKE_BINARY_DIR}/package-texts/${destination_folder}/${name})
    file(WRITE ${written} "${text}")
    install(FILES ${written} DESTINATION ${destination_folder})
endfunction()

ondrel_windows_text(${CMAKE_SOURCE_DIR}/packaging/windows/README.txt . README.txt)
ondrel_windows_text(${CMAKE_SOURCE_DIR}/packaging/windows/ffmpeg-bin.txt ffmpeg/bin
                    "Put FFmpeg here.txt")

# Packing needs only what is installed, built beforehand (cmake --build <build>
# --target Ondrel ondrel_ffmpeg_adapter ondrel_kdh_adapter), not every test.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Ondrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME Ondrel-${PROJECT_VERSION}-win64)
# The zip unpacks into a folder of its own name.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)
