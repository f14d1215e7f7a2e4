# Layers as libraries: platform, then transfer, then desktop, then app. Code
# includes a header by its path from the source root ("platform/Shell.h"),
# yet no target sees the source root itself. Each library lays out its own
# headers, as forwarding headers under their own paths, in a folder of the
# build tree, and a target sees only the folders of the libraries it links.
# An include of a layer above (or of a platform family it does not link)
# finds no file, and the build stops there.

# ondrel_headers(TARGET HEADER...): the target's headers, given from the
# source root, for the target and everything that links it. One more source
# of the target includes them all, so that a header no source of its own
# includes is held to the same rule.
function(ondrel_headers target)
    set(root ${CMAKE_BINARY_DIR}/layers/${target})
    set(all "// Every header of ${target}: none may include a layer above.\n")
    foreach(header IN LISTS ARGN)
        if(NOT EXISTS ${CMAKE_SOURCE_DIR}/${header})
            message(FATAL_ERROR "${target}: no header ${header}")
        endif()
        file(CONFIGURE OUTPUT ${root}/${header}
             CONTENT "#pragma once\n#include \"${CMAKE_SOURCE_DIR}/${header}\"\n")
        string(APPEND all "#include \"${header}\"\n")
    endforeach()
    file(CONFIGURE OUTPUT ${root}/all_headers.cpp CONTENT "${all}")
    target_sources(${target} PRIVATE ${root}/all_headers.cpp)
    target_include_directories(${target} PUBLIC ${root})
endfunction()
