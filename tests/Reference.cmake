# The software renderer against an independent Python/numpy evaluation of the
# same scenes (natively).
if(NOT WIN32)
    set(NUMPY_PYTHON ${REFERENCE_PYTHON})
    add_executable(software_render_cli reference/SoftwareRenderCli.cpp)
    target_link_libraries(software_render_cli PRIVATE brintavolex)
    brintavolex_warnings(software_render_cli)
    add_test(NAME reference.software_renderer
        COMMAND ${NUMPY_PYTHON} ${CMAKE_CURRENT_SOURCE_DIR}/tools/software_renderer_reference.py
                $<TARGET_FILE:software_render_cli> ${CMAKE_CURRENT_BINARY_DIR}/reference)
    set_tests_properties(reference.software_renderer PROPERTIES TIMEOUT 300)
endif()

# The display mapping of every pixel type against the same interpreter's numpy.
if(NOT WIN32)
    add_executable(display_mapping_cli reference/DisplayMappingCli.cpp)
    target_link_libraries(display_mapping_cli PRIVATE brintavolex)
    brintavolex_warnings(display_mapping_cli)
    add_test(NAME reference.display_mapping
        COMMAND ${NUMPY_PYTHON} ${CMAKE_CURRENT_SOURCE_DIR}/tools/display_mapping_reference.py
                $<TARGET_FILE:display_mapping_cli> ${CMAKE_CURRENT_BINARY_DIR}/reference-display)
    set_tests_properties(reference.display_mapping PROPERTIES TIMEOUT 120)
endif()

# Histogram bins and graphs and the brightness/contrast window against numpy,
# BMP files against Pillow's reading.
if(NOT WIN32)
    add_executable(histogram_cli reference/HistogramCli.cpp)
    target_link_libraries(histogram_cli PRIVATE brintavolex)
    brintavolex_warnings(histogram_cli)
    add_test(NAME reference.histogram
        COMMAND ${NUMPY_PYTHON} ${CMAKE_CURRENT_SOURCE_DIR}/tools/histogram_reference.py
                $<TARGET_FILE:histogram_cli> ${CMAKE_CURRENT_BINARY_DIR}/reference-histogram)
    set_tests_properties(reference.histogram PROPERTIES TIMEOUT 120)
endif()

# "Save image as..." of the 2D viewer: PNG and BMP files read back by Pillow.
if(NOT WIN32)
    add_executable(save_image_cli reference/SaveImageCli.cpp)
    target_link_libraries(save_image_cli PRIVATE brintavolex)
    brintavolex_warnings(save_image_cli)
    add_test(NAME reference.save_image
        COMMAND ${NUMPY_PYTHON} ${CMAKE_CURRENT_SOURCE_DIR}/tools/save_image_reference.py
                $<TARGET_FILE:save_image_cli> ${CMAKE_CURRENT_BINARY_DIR}/reference-save)
    set_tests_properties(reference.save_image PROPERTIES TIMEOUT 120)
endif()
