# The Windows download. In a whole Windows build (not ONDREL_PLATFORM_ONLY):
#   cmake --build <Windows build> --target windows_release
# writes into <Windows build>/package/
#   Ondrel-<version>-win64.zip            the program folder, to unpack anywhere
#   Ondrel-<version>-win64.msi            the same files, installed into
#                                         Program Files\Ondrel (wixl)
#   Ondrel-<version>-ffmpeg-source.zip    the source of the FFmpeg both carry
# The program folder is what `cmake --install <build> --prefix <folder>` lays
# out: Ondrel.exe, its two converters, README.txt and LICENSE.txt, and FFmpeg
# with its licences in ffmpeg\ (packaging/windows/build-ffmpeg builds it once
# and keeps it in a cache outside the build folder). `cpack -G ZIP` in the
# build folder still makes the zip alone, from the same install.

# Notepad of older Windows shows a text with bare LF line ends as one line.
function(ondrel_windows_text source destination_folder name)
    file(READ ${source} text)
    set(ONDREL_VERSION ${PROJECT_VERSION})
    string(CONFIGURE "${text}" text @ONLY)
    string(REPLACE "\r\n" "\n" text "${text}")
    string(REPLACE "\n" "\r\n" text "${text}")
    set(written ${CMAKE_BINARY_DIR}/package-texts/${destination_folder}/${name})
    file(WRITE ${written} "${text}")
    install(FILES ${written} DESTINATION ${destination_folder})
endfunction()

ondrel_windows_text(${CMAKE_SOURCE_DIR}/packaging/windows/README.txt . README.txt)
ondrel_windows_text(${CMAKE_SOURCE_DIR}/LICENSE . LICENSE.txt)

if(TARGET Ondrel)
    # Empty: build-ffmpeg builds FFmpeg or finds it in its cache. Else a
    # folder laid out as one of that cache's entries, used as it is (for a
    # build on a machine without apt).
    set(ONDREL_FFMPEG_DIR "" CACHE PATH
        "Ready FFmpeg for the Windows download, laid out as build-ffmpeg's cache entries")
    install(CODE "set(ONDREL_SOURCE_DIR \"${CMAKE_SOURCE_DIR}\")
                  set(ONDREL_BINARY_DIR \"${CMAKE_BINARY_DIR}\")
                  set(ONDREL_VERSION \"${PROJECT_VERSION}\")
                  set(ONDREL_FFMPEG_DIR \"${ONDREL_FFMPEG_DIR}\")")
    install(SCRIPT ${CMAKE_SOURCE_DIR}/packaging/windows/install-ffmpeg.cmake)

    # The installer's uninstall runs it to refuse while Ondrel runs from the
    # folder, and to delete the user's shortcuts into the removed folder. A
    # window program, so that no console flashes up.
    add_executable(ondrel_uninstall_helper WIN32
                   ${CMAKE_SOURCE_DIR}/packaging/windows/uninstall_helper_win.cpp)
    set_target_properties(ondrel_uninstall_helper PROPERTIES OUTPUT_NAME uninstall-helper)
    target_compile_definitions(ondrel_uninstall_helper PRIVATE UNICODE _UNICODE)
    target_link_libraries(ondrel_uninstall_helper PRIVATE ondrel_warnings ole32 shell32 uuid)
    if(MSVC)
        target_link_options(ondrel_uninstall_helper PRIVATE /ENTRY:wmainCRTStartup)
    else()
        target_link_options(ondrel_uninstall_helper PRIVATE -static -municode
                            $<$<CONFIG:Release,MinSizeRel>:-s>)
    endif()

    find_program(ONDREL_WIXL wixl)
    add_custom_target(windows_release
        COMMAND ${CMAKE_COMMAND} -DONDREL_SOURCE_DIR=${CMAKE_SOURCE_DIR}
                -DONDREL_BINARY_DIR=${CMAKE_BINARY_DIR} -DONDREL_VERSION=${PROJECT_VERSION}
                -DONDREL_CONFIG=$<CONFIG> -DONDREL_WIXL=${ONDREL_WIXL}
                -DONDREL_UNINSTALL_HELPER=$<TARGET_FILE:ondrel_uninstall_helper>
                -P ${CMAKE_SOURCE_DIR}/packaging/windows/release.cmake
        USES_TERMINAL VERBATIM)
    add_dependencies(windows_release Ondrel ondrel_ffmpeg_adapter ondrel_kdh_adapter
                     ondrel_uninstall_helper)
endif()

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
# The programs without their debugging symbols, which double their size.
set(CPACK_STRIP_FILES ON)
include(CPack)
