function(brintavolex_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wno-unknown-pragmas)
endfunction()
