# The program's texts are Windows-1252; sources stay UTF-8. Units that hold
# non-ASCII narrow literals are compiled with this.
# Clang knows no execution character set but UTF-8: its builds (the fuzz
# targets) keep the texts in UTF-8, which they never show.
function(brintavolex_cp1252_sources)
    if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        return()
    endif()
    set_source_files_properties(${ARGN} PROPERTIES
        COMPILE_OPTIONS "-finput-charset=UTF-8;-fexec-charset=CP1252")
endfunction()
