# The target windows_release (cmake/WindowsPackage.cmake) runs this with
#   -DONDREL_SOURCE_DIR -DONDREL_BINARY_DIR -DONDREL_VERSION -DONDREL_CONFIG
#   -DONDREL_WIXL -DONDREL_UNINSTALL_HELPER
# and, to write the packages elsewhere than into <build>/package,
#   -DONDREL_PACKAGE_DIR
# It installs the program folder into <build>/windows-release/ and makes of it
# <build>/package/Ondrel-<version>-win64.zip and .msi, and the source archive
# of the FFmpeg inside, Ondrel-<version>-ffmpeg-source.zip.

set(name Ondrel-${ONDREL_VERSION}-win64)
set(work ${ONDREL_BINARY_DIR}/windows-release)
set(stage ${work}/${name})
set(package ${ONDREL_BINARY_DIR}/package)
if(ONDREL_PACKAGE_DIR)
    # A version made only for a test (the installer test's newer one) goes elsewhere.
    set(package ${ONDREL_PACKAGE_DIR})
endif()
file(REMOVE_RECURSE ${work})
file(MAKE_DIRECTORY ${work} ${package})

# --- the program folder: what cmake --install lays out -----------------------
message(STATUS "Program folder: ${stage}")
# Stripped: the debugging symbols of a release build double its programs.
execute_process(COMMAND ${CMAKE_COMMAND} --install ${ONDREL_BINARY_DIR} --prefix ${stage} --strip
                        --config ${ONDREL_CONFIG}
                OUTPUT_VARIABLE output RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "cmake --install failed (${status}):\n${output}")
endif()
foreach(needed Ondrel.exe ffmpeg.exe kdh.exe README.txt LICENSE.txt ffmpeg/bin/ffmpeg.exe
               ffmpeg/README.txt ffmpeg/GPL-2.txt)
    if(NOT EXISTS ${stage}/${needed})
        message(FATAL_ERROR "The program folder lacks ${needed}")
    endif()
endforeach()
file(READ ${work}/ffmpeg-folder.txt ffmpeg_folder)

# --- the zip ----------------------------------------------------------------
# The folder with its subfolders' own entries, as cpack -G ZIP makes it.
set(zip ${package}/${name}.zip)
file(REMOVE ${zip})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip -- ${name}
                WORKING_DIRECTORY ${work} RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT EXISTS ${zip})
    message(FATAL_ERROR "Could not write ${zip}")
endif()
message(STATUS "Written: ${zip}")

# --- the installer ----------------------------------------------------------
if(NOT ONDREL_WIXL)
    message(FATAL_ERROR "wixl not found: it makes the installer (apt-get install wixl)")
endif()

function(xml_escape variable text)
    string(REPLACE "&" "&amp;" text "${text}")
    string(REPLACE "<" "&lt;" text "${text}")
    string(REPLACE ">" "&gt;" text "${text}")
    string(REPLACE "\"" "&quot;" text "${text}")
    set(${variable} "${text}" PARENT_SCOPE)
endfunction()

# One component per file, its key path; ids made from the path, so the same
# file keeps its ids (and wixl its component GUID) from version to version.
# Ondrel.exe carries the Start menu entry and the installed programs' icon.
set(ONDREL_MSI_FILES "")
set(ONDREL_MSI_COMPONENT_REFS "")
function(msi_folder relative indent)
    file(GLOB children LIST_DIRECTORIES true RELATIVE ${stage}/${relative}
         ${stage}/${relative}/*)
    list(SORT children)
    set(xml "")
    set(refs "")
    foreach(child IN LISTS children)
        if(relative STREQUAL "")
            set(path ${child})
        else()
            set(path ${relative}/${child})
        endif()
        string(MD5 hash "${path}")
        string(SUBSTRING ${hash} 0 24 hash)
        xml_escape(escaped_name "${child}")
        xml_escape(escaped_source "${name}/${path}")
        if(IS_DIRECTORY ${stage}/${path})
            msi_folder("${path}" "${indent}  ")
            string(APPEND xml "${indent}<Directory Id=\"d${hash}\" Name=\"${escaped_name}\">\n"
                              "${folder_xml}${indent}</Directory>\n")
            string(APPEND refs "${folder_refs}")
        else()
            if(path STREQUAL "Ondrel.exe")
                set(file_id OndrelExe)
                # Windows Installer names the icon it keeps (ARPPRODUCTICON) as
                # the product's; Wine's writes no DisplayIcon from it.
                set(shortcut
                    "${indent}  <Shortcut Id=\"StartMenuOndrel\" Directory=\"ProgramMenuFolder\" Name=\"Ondrel\"\n"
                    "${indent}            Target=\"[#OndrelExe]\" WorkingDirectory=\"INSTALLDIR\" />\n"
                    "${indent}  <RegistryValue Root=\"HKLM\" Name=\"DisplayIcon\" Type=\"string\" Value=\"[#OndrelExe],0\"\n"
                    "${indent}                 Key=\"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\[ProductCode]\" />\n")
            else()
                set(file_id f${hash})
                set(shortcut "")
            endif()
            string(APPEND xml
                   "${indent}<Component Id=\"c${hash}\" Guid=\"*\" Win64=\"yes\">\n"
                   "${indent}  <File Id=\"${file_id}\" Name=\"${escaped_name}\" "
                   "Source=\"${escaped_source}\" KeyPath=\"yes\" />\n"
                   ${shortcut}
                   "${indent}</Component>\n")
            string(APPEND refs "      <ComponentRef Id=\"c${hash}\" />\n")
        endif()
    endforeach()
    set(folder_xml "${xml}" PARENT_SCOPE)
    set(folder_refs "${refs}" PARENT_SCOPE)
endfunction()
msi_folder("" "          ")
string(REGEX REPLACE "\n$" "" ONDREL_MSI_FILES "${folder_xml}")
string(REGEX REPLACE "\n$" "" ONDREL_MSI_COMPONENT_REFS "${folder_refs}")

# A new product code for every version (a major upgrade needs one), the same
# one for every build of a version.
string(UUID ONDREL_PRODUCT_CODE NAMESPACE 2944734B-D3B1-4DE8-82C1-2722C7A83359
       NAME "Ondrel ${ONDREL_VERSION} win64" TYPE SHA1 UPPER)
# wixl takes no absolute source paths: all are relative to ${work}, where it runs.
file(COPY ${ONDREL_SOURCE_DIR}/desktop/icons/ondrel.ico ${ONDREL_UNINSTALL_HELPER}
     DESTINATION ${work}/installer)
set(ONDREL_ICON installer/ondrel.ico)
get_filename_component(helper ${ONDREL_UNINSTALL_HELPER} NAME)
set(ONDREL_UNINSTALL_HELPER installer/${helper})
configure_file(${ONDREL_SOURCE_DIR}/packaging/windows/Ondrel.wxs.in ${work}/Ondrel.wxs @ONLY)

set(msi ${package}/${name}.msi)
file(REMOVE ${msi})
execute_process(COMMAND ${ONDREL_WIXL} --arch x64 --output ${msi} Ondrel.wxs
                WORKING_DIRECTORY ${work} OUTPUT_VARIABLE output ERROR_VARIABLE output
                RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT EXISTS ${msi})
    message(FATAL_ERROR "wixl failed (${status}):\n${output}")
endif()
message(STATUS "Written: ${msi}")

# --- the FFmpeg source ------------------------------------------------------
# What the GPL asks to go with ffmpeg.exe: the source packages it was built
# from, exactly as Debian publishes them, and the script that built it.
set(source_name Ondrel-${ONDREL_VERSION}-ffmpeg-source)
set(source_stage ${work}/${source_name})
file(MAKE_DIRECTORY ${source_stage})
file(GLOB source_files ${ffmpeg_folder}/source/*)
file(COPY ${source_files} ${ffmpeg_folder}/configure.txt DESTINATION ${source_stage})
file(STRINGS ${ffmpeg_folder}/versions.txt versions)
list(TRANSFORM versions PREPEND "  ")
list(JOIN versions "\n" ONDREL_FFMPEG_VERSIONS)
configure_file(${ONDREL_SOURCE_DIR}/packaging/windows/ffmpeg-source-README.txt
               ${source_stage}/README.txt @ONLY)
set(source_zip ${package}/${source_name}.zip)
file(REMOVE ${source_zip})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${source_zip} --format=zip -- ${source_name}
                WORKING_DIRECTORY ${work} RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT EXISTS ${source_zip})
    message(FATAL_ERROR "Could not write ${source_zip}")
endif()
message(STATUS "Written: ${source_zip}")
