# The software renderer against an independent Python/numpy evaluation of the
# same scenes (natively). Debian's interpreter carries python3-numpy; another
# python3 earlier on the PATH may not.
if(NOT WIN32)
    set(NUMPY_PYTHON "")
    foreach(candidate /usr/bin/python3 ${Python3_EXECUTABLE})
        if(NOT NUMPY_PYTHON AND EXISTS ${candidate})
            execute_process(COMMAND ${candidate} -c "import numpy" RESULT_VARIABLE numpy_missing
                            OUTPUT_QUIET ERROR_QUIET)
            if(numpy_missing EQUAL 0)
                set(NUMPY_PYTHON ${candidate})
            endif()
        endif()
    endforeach()
    if(NOT NUMPY_PYTHON)
        message(FATAL_ERROR "python3 with numpy not found; run tools/setup-debian.sh")
    endif()
    add_executable(software_render_cli reference/SoftwareRenderCli.cpp)
    target_link_libraries(software_render_cli PRIVATE brintavolex)
    brintavolex_warnings(software_render_cli)
    add_test(NAME reference.software_renderer
        COMMAND ${NUMPY_PYTHON} ${CMAKE_CURRENT_SOURCE_DIR}/tools/software_renderer_reference.py
                $<TARGET_FILE:software_render_cli> ${CMAKE_CURRENT_BINARY_DIR}/reference)
    set_tests_properties(reference.software_renderer PROPERTIES TIMEOUT 300)
endif()
