# The program's texts are Windows-1252; sources stay UTF-8. Units that hold
# non-ASCII narrow literals are compiled with this.
function(brintavolex_cp1252_sources)
    set_source_files_properties(${ARGN} PROPERTIES
        COMPILE_OPTIONS "-finput-charset=UTF-8;-fexec-charset=CP1252")
endfunction()
