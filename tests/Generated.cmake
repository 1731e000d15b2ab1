# Expectations computed at build time by independent tools (Python's codecs),
# written as headers the tests include from generated/.
set(GENERATED_DIR ${CMAKE_CURRENT_BINARY_DIR}/generated)
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_custom_command(
    OUTPUT ${GENERATED_DIR}/Cp1252Expected.h
    COMMAND ${CMAKE_COMMAND} -E make_directory ${GENERATED_DIR}
    COMMAND Python3::Interpreter ${CMAKE_CURRENT_SOURCE_DIR}/tools/cp1252_expected.py ${GENERATED_DIR}/Cp1252Expected.h
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tools/cp1252_expected.py
    COMMENT "Generating the Windows-1252 expectation with Python's codec")
add_custom_command(
    OUTPUT ${GENERATED_DIR}/bmpsuite-imagemagick/pal8.bmp.rgba
    COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/tools/imagemagick_references.sh ${BRINTAVOLEX_CACHE}/bmpsuite
            ${GENERATED_DIR}/bmpsuite-imagemagick
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tools/imagemagick_references.sh
    COMMENT "Decoding the BMP suite with ImageMagick for reference")
add_custom_target(brintavolex_generated DEPENDS ${GENERATED_DIR}/Cp1252Expected.h
    ${GENERATED_DIR}/bmpsuite-imagemagick/pal8.bmp.rgba)
