# Fails when a file of a library includes a header it may not reach: one of a higher layer or
# one private to another library, however the include is spelt ("../app/x.h" included), or a
# system header private to another library. Run by the build (see vexlor_headers) as:
#   cmake -DFILES=<list file> -DINCLUDES=<file of include folders> -DSOURCE_ROOT=<src>
#         -DINCLUDE_ROOT=<build/include> -DPRIVATE_SYSTEM=<names> -DALLOWED_SYSTEM=<names>
#         -DSTAMP=<file> -P check_includes.cmake
# A header is reachable when it lies behind one of the library's include folders under
# INCLUDE_ROOT, which hold the headers of the library itself and of those it links.

cmake_minimum_required(VERSION 3.25)

file(STRINGS "${FILES}" files)
file(REAL_PATH "${SOURCE_ROOT}" SOURCE_ROOT)
file(READ "${INCLUDES}" include_dirs)
string(STRIP "${include_dirs}" include_dirs)

set(reachable "")
foreach(dir IN LISTS include_dirs)
    cmake_path(IS_PREFIX INCLUDE_ROOT "${dir}" NORMALIZE under_root)
    if(NOT under_root OR NOT IS_DIRECTORY "${dir}")
        continue()
    endif()
    file(GLOB_RECURSE headers FOLLOW_SYMLINKS "${dir}/*.h")
    foreach(header IN LISTS headers)
        file(REAL_PATH "${header}" real)
        list(APPEND reachable "${real}")
    endforeach()
endforeach()

set(problems "")
foreach(source IN LISTS files)
    file(STRINGS "${source}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
    cmake_path(GET source PARENT_PATH here)
    foreach(line IN LISTS lines)
        if(line MATCHES "include[ \t]*<([^>]+)>")
            set(name "${CMAKE_MATCH_1}")
            if(name IN_LIST PRIVATE_SYSTEM AND NOT name IN_LIST ALLOWED_SYSTEM)
                string(APPEND problems "\n  ${source}: <${name}> is private to another library")
            endif()
            continue()
        endif()
        if(NOT line MATCHES "include[ \t]*\"([^\"]+)\"")
            continue()
        endif()
        set(name "${CMAKE_MATCH_1}")
        # Where the compiler looks for a quoted name: beside the file, then the include folders.
        set(found "")
        set(search "${here}" ${include_dirs})
        foreach(dir IN LISTS search)
            if(EXISTS "${dir}/${name}" AND NOT IS_DIRECTORY "${dir}/${name}")
                file(REAL_PATH "${dir}/${name}" found)
                break()
            endif()
        endforeach()
        if(found STREQUAL "")
            continue()  # a file the build makes (moc), or one that fails to compile anyway
        endif()
        cmake_path(IS_PREFIX SOURCE_ROOT "${found}" NORMALIZE in_sources)
        if(in_sources AND NOT found IN_LIST reachable)
            string(APPEND problems
                   "\n  ${source}: \"${name}\" is ${found}, a header of a layer above or private "
                   "to another library")
        endif()
    endforeach()
endforeach()

if(problems)
    message(FATAL_ERROR "Includes across the layers:${problems}")
endif()
file(TOUCH "${STAMP}")
