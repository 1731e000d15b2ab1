# One static library per top-level folder. A folder's own sources see the
# whole folder; every other target sees only the api/ headers of the folders
# it links, so that an include of a higher folder's header fails to build.
# Files under a Win32/ folder build only for Windows, under Posix/ only
# natively; entry points (src/Main) belong to the executables.

set(BRINTAVOLEX_INCLUDE_LINKS ${CMAKE_BINARY_DIR}/include-links)

# brintavolex_folder(FOLDER [USES lower folders...]): the library
# brintavolex_<FOLDER> from FOLDER/src.
function(brintavolex_folder folder)
    cmake_parse_arguments(ARG "" "" "USES" ${ARGN})
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${folder}/src/*.cpp)
    if(WIN32)
        list(FILTER sources EXCLUDE REGEX "/Posix/")
    else()
        list(FILTER sources EXCLUDE REGEX "/Win32/")
    endif()
    list(FILTER sources EXCLUDE REGEX "/src/Main/")
    set(target brintavolex_${folder})
    add_library(${target} STATIC ${sources})

    set(public ${BRINTAVOLEX_INCLUDE_LINKS}/${folder}/public)
    set(private ${BRINTAVOLEX_INCLUDE_LINKS}/${folder}/private)
    file(MAKE_DIRECTORY ${public}/${folder} ${private})
    if(EXISTS ${PROJECT_SOURCE_DIR}/${folder}/api)
        file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder}/api ${public}/${folder}/api SYMBOLIC)
    endif()
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${private}/${folder} SYMBOLIC)
    target_include_directories(${target} PUBLIC ${public} PRIVATE ${private})

    set(used)
    foreach(lower ${ARG_USES})
        list(APPEND used brintavolex_${lower})
    endforeach()
    target_link_libraries(${target} PUBLIC ${used} brintavolex_deps)
    target_compile_definitions(${target} PUBLIC BRINTAVOLEX_VERSION="${PROJECT_VERSION}")
    brintavolex_warnings(${target})
endfunction()
