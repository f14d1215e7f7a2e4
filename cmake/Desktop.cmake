# The program's place on the desktop: the install layout and the Debian
# package.
#   cmake --install build --prefix /usr      the layout below
#   (cd build && cpack)                      ondrel_<version>_amd64.deb

if(WIN32)
    # The program folder is the installation itself: Ondrel.exe at its root.
    if(TARGET Ondrel)
        install(TARGETS Ondrel RUNTIME DESTINATION .)
    endif()
    return()
endif()

if(ONDREL_PLATFORM_ONLY)
    return()
endif()

set(ONDREL_ICONS ${CMAKE_SOURCE_DIR}/desktop/icons)
set(ONDREL_PACKAGING ${CMAKE_SOURCE_DIR}/packaging/linux)
set(ONDREL_APP_ID org.ondrel.Ondrel)

# The icon beside the program, where the shortcuts it makes point, in the
# build as in the installation.
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/bin/ondrel.svg
    COMMAND ${CMAKE_COMMAND} -E copy ${ONDREL_ICONS}/ondrel.svg ${CMAKE_BINARY_DIR}/bin/ondrel.svg
    DEPENDS ${ONDREL_ICONS}/ondrel.svg)
add_custom_target(ondrel_program_icon ALL DEPENDS ${CMAKE_BINARY_DIR}/bin/ondrel.svg)

# The program folder: the program, its converters and its icon, as they lie
# side by side in build/bin.
set(ONDREL_PROGRAM_DIR lib/ondrel)
install(TARGETS Ondrel ondrel_ffmpeg_adapter ondrel_kdh_adapter
        RUNTIME DESTINATION ${ONDREL_PROGRAM_DIR})
install(FILES ${ONDREL_ICONS}/ondrel.svg DESTINATION ${ONDREL_PROGRAM_DIR})

# bin/ondrel: a relative link, so the layout works under any prefix. The
# program finds its folder through the link's target.
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/install-links)
file(CREATE_LINK ../${ONDREL_PROGRAM_DIR}/Ondrel ${CMAKE_BINARY_DIR}/install-links/ondrel
     SYMBOLIC)
install(FILES ${CMAKE_BINARY_DIR}/install-links/ondrel DESTINATION bin)

install(FILES ${ONDREL_PACKAGING}/${ONDREL_APP_ID}.desktop DESTINATION share/applications)
install(FILES ${ONDREL_PACKAGING}/${ONDREL_APP_ID}.metainfo.xml DESTINATION share/metainfo)
install(FILES ${ONDREL_ICONS}/ondrel.svg DESTINATION share/icons/hicolor/scalable/apps)
foreach(size 16 32 48 64 128 256)
    install(FILES ${ONDREL_ICONS}/ondrel-${size}.png
            DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME ondrel.png)
endforeach()

set(ONDREL_MANUAL ${CMAKE_BINARY_DIR}/packaging/ondrel.1.gz)
add_custom_command(OUTPUT ${ONDREL_MANUAL}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging
    COMMAND gzip -9n -c ${ONDREL_PACKAGING}/ondrel.1 > ${ONDREL_MANUAL}
    DEPENDS ${ONDREL_PACKAGING}/ondrel.1)
add_custom_target(ondrel_manual ALL DEPENDS ${ONDREL_MANUAL})
install(FILES ${ONDREL_MANUAL} DESTINATION share/man/man1)

# The license, in Debian's machine-readable form, and the changelog Debian
# asks of every package, compressed as its policy wants.
install(FILES ${ONDREL_PACKAGING}/copyright DESTINATION share/doc/ondrel)
set(ONDREL_CHANGELOG ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
add_custom_command(OUTPUT ${ONDREL_CHANGELOG}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging
    COMMAND gzip -9n -c ${ONDREL_PACKAGING}/changelog > ${ONDREL_CHANGELOG}
    DEPENDS ${ONDREL_PACKAGING}/changelog)
add_custom_target(ondrel_changelog ALL DEPENDS ${ONDREL_CHANGELOG})
install(FILES ${ONDREL_CHANGELOG} DESTINATION share/doc/ondrel)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ondrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Ondrel developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "put music on the memory card of a DS handheld")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Ondrel lists the music files dropped on its Desktop icon or sent to it from
the file manager, turns each into an MP4 file the DS plays, and copies it
into the Music folder of the DS memory card, or onto the Desktop.

It converts with ffmpeg, in a default mode and in KDH mode.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Ondrel developers <ondrel@ondrel.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS ffmpeg)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_SET_DESTDIR OFF)
include(CPack)
