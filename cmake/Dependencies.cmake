# zlib, libpng and GoogleTest. Natively from Debian's packages; for Windows,
# zlib from the MinGW package and libpng cross-built by tools/setup-debian.sh.
add_library(brintavolex_deps INTERFACE)

if(WIN32)
    if(NOT BRINTAVOLEX_CACHE)
        if(DEFINED ENV{BRINTAVOLEX_CACHE})
            set(BRINTAVOLEX_CACHE "$ENV{BRINTAVOLEX_CACHE}")
        elseif(DEFINED ENV{XDG_CACHE_HOME})
            set(BRINTAVOLEX_CACHE "$ENV{XDG_CACHE_HOME}/brintavolex")
        else()
            set(BRINTAVOLEX_CACHE "$ENV{HOME}/.cache/brintavolex")
        endif()
    endif()
    set(MINGW_DEPS "${BRINTAVOLEX_CACHE}/mingw64")
    if(NOT EXISTS "${MINGW_DEPS}/lib/libpng16.a")
        message(FATAL_ERROR "libpng for MinGW not found in ${MINGW_DEPS}; run tools/setup-debian.sh")
    endif()
    add_library(PNG::PNG STATIC IMPORTED)
    set_target_properties(PNG::PNG PROPERTIES
        IMPORTED_LOCATION "${MINGW_DEPS}/lib/libpng16.a"
        INTERFACE_INCLUDE_DIRECTORIES "${MINGW_DEPS}/include")
    add_library(ZLIB::ZLIB STATIC IMPORTED)
    set_target_properties(ZLIB::ZLIB PROPERTIES
        IMPORTED_LOCATION "/usr/x86_64-w64-mingw32/lib/libz.a")
    target_link_libraries(PNG::PNG INTERFACE ZLIB::ZLIB)
    add_link_options(-static -static-libgcc -static-libstdc++)
    target_compile_definitions(brintavolex_deps INTERFACE
        UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00)
else()
    find_package(ZLIB REQUIRED)
    find_package(PNG REQUIRED)
    find_package(Threads REQUIRED)
    # Glyphs of headless runs; Windows draws them with GDI.
    find_package(Freetype REQUIRED)
    target_link_libraries(brintavolex_deps INTERFACE Threads::Threads Freetype::Freetype)
endif()
target_link_libraries(brintavolex_deps INTERFACE PNG::PNG ZLIB::ZLIB)

if(NOT BRINTAVOLEX_FUZZ)
    # GoogleTest from Debian's sources, built with the project's compiler.
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
endif()
