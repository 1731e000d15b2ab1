# Expectations computed at build time by independent tools (Python's codecs),
# written as headers the tests include from generated/.
set(GENERATED_DIR ${CMAKE_CURRENT_BINARY_DIR}/generated)
find_package(Python3 REQUIRED COMPONENTS Interpreter)
# The reference decoders and numpy: Debian's interpreter carries
# python3-numpy and python3-pil; another python3 earlier on the PATH may not.
set(REFERENCE_PYTHON "")
foreach(candidate /usr/bin/python3 ${Python3_EXECUTABLE})
    if(NOT REFERENCE_PYTHON AND EXISTS ${candidate})
        execute_process(COMMAND ${candidate} -c "import numpy, PIL" RESULT_VARIABLE missing OUTPUT_QUIET ERROR_QUIET)
        if(missing EQUAL 0)
            set(REFERENCE_PYTHON ${candidate})
        endif()
    endif()
endforeach()
if(NOT REFERENCE_PYTHON)
    message(FATAL_ERROR "python3 with numpy and PIL not found; run tools/setup-debian.sh")
endif()
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
add_custom_command(
    OUTPUT ${GENERATED_DIR}/pngsuite-pillow/basn0g01.png.rgba
    COMMAND ${REFERENCE_PYTHON} ${CMAKE_CURRENT_SOURCE_DIR}/tools/pillow_png_references.py ${BRINTAVOLEX_CACHE}/pngsuite
            ${GENERATED_DIR}/pngsuite-pillow
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tools/pillow_png_references.py
    COMMENT "Decoding PngSuite with Pillow for reference")
add_custom_command(
    OUTPUT ${GENERATED_DIR}/icons/multi.ico.0.rgba
    COMMAND ${REFERENCE_PYTHON} ${CMAKE_CURRENT_SOURCE_DIR}/tools/make_test_icons.py ${GENERATED_DIR}/icons
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tools/make_test_icons.py
    COMMENT "Making test icons with ImageMagick, Pillow's reading for reference")
# Four-component JPEG files need libjpeg itself (cjpeg and djpeg have no CMYK
# input or output): a small tool for the build machine, compiled by the host
# compiler when the build targets Windows.
set(JPEG_CMYK_SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/reference/JpegCmykCli.cpp)
if(WIN32)
    set(JPEG_CMYK_CLI ${CMAKE_CURRENT_BINARY_DIR}/jpeg_cmyk_cli)
    add_custom_command(OUTPUT ${JPEG_CMYK_CLI}
        COMMAND c++ -O1 -o ${JPEG_CMYK_CLI} ${JPEG_CMYK_SOURCE} -ljpeg
        DEPENDS ${JPEG_CMYK_SOURCE}
        COMMENT "Building the CMYK JPEG reference tool for the build machine")
    set(JPEG_CMYK_DEPENDS ${JPEG_CMYK_CLI})
else()
    add_executable(jpeg_cmyk_cli ${JPEG_CMYK_SOURCE})
    target_link_libraries(jpeg_cmyk_cli PRIVATE jpeg)
    brintavolex_warnings(jpeg_cmyk_cli)
    set(JPEG_CMYK_CLI $<TARGET_FILE:jpeg_cmyk_cli>)
    set(JPEG_CMYK_DEPENDS jpeg_cmyk_cli)
endif()
add_custom_command(
    OUTPUT ${GENERATED_DIR}/jpeg/cases.txt
    COMMAND ${REFERENCE_PYTHON} ${CMAKE_CURRENT_SOURCE_DIR}/tools/jpeg_references.py
            ${BRINTAVOLEX_CACHE}/libjpeg-turbo-testimages ${GENERATED_DIR}/jpeg ${JPEG_CMYK_CLI}
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tools/jpeg_references.py ${CMAKE_CURRENT_SOURCE_DIR}/tools/lossless_jpeg.py
            ${JPEG_CMYK_DEPENDS}
    COMMENT "Making JPEG test files with cjpeg, jpegtran, libjpeg and exiftool, djpeg's decoding for reference")
add_custom_command(
    OUTPUT ${GENERATED_DIR}/tiffs/exif-le.tif.dump
    COMMAND ${REFERENCE_PYTHON} ${CMAKE_CURRENT_SOURCE_DIR}/tools/make_test_tiffs.py ${GENERATED_DIR}/tiffs
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tools/make_test_tiffs.py
    COMMENT "Making test TIFFs with ImageMagick, ExifTool and libtiff's tools, tiffdump's listing for reference")
add_custom_command(
    OUTPUT ${GENERATED_DIR}/compressed-tiffs/ramp-zip.tif
    COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/tools/make_compressed_tiffs.sh ${GENERATED_DIR}/compressed-tiffs
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tools/make_compressed_tiffs.sh
    COMMENT "Compressing TIFF strips with libtiff's tiffcp for reference")
add_custom_command(
    OUTPUT ${GENERATED_DIR}/tiff-decoder/cases.txt
    COMMAND ${REFERENCE_PYTHON} ${CMAKE_CURRENT_SOURCE_DIR}/tools/make_tiff_decoder_cases.py ${GENERATED_DIR}/tiff-decoder
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tools/make_tiff_decoder_cases.py
    COMMENT "Making TIFF variants with tifffile and tiffcp, tifffile's and Pillow's readings for reference")
add_custom_command(
    OUTPUT ${GENERATED_DIR}/fax-tiffs/testfax4-none.tif
    COMMAND ${REFERENCE_PYTHON} ${CMAKE_CURRENT_SOURCE_DIR}/tools/make_fax_tiffs.py ${GENERATED_DIR}/fax-tiffs
            ${BRINTAVOLEX_CACHE}/libtiff-testimages
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tools/make_fax_tiffs.py
    COMMENT "Coding bilevel TIFF strips in the CCITT codings with libtiff for reference")
add_custom_command(
    OUTPUT ${GENERATED_DIR}/gif/cases.txt
    COMMAND ${REFERENCE_PYTHON} ${CMAKE_CURRENT_SOURCE_DIR}/tools/make_gif_cases.py ${BRINTAVOLEX_CACHE}/giflib-pics
            ${GENERATED_DIR}/gif
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tools/make_gif_cases.py
    COMMENT "Making GIF animations with ImageMagick, composing every frame with numpy over Pillow's LZW for reference")
add_custom_command(
    OUTPUT ${GENERATED_DIR}/stream/three-frames.txt
    COMMAND ${REFERENCE_PYTHON} ${CMAKE_CURRENT_SOURCE_DIR}/tools/make_stream_gifs.py ${GENERATED_DIR}/stream
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tools/make_stream_gifs.py
    COMMENT "Writing a 3-frame GIF with Pillow, Pillow's composed frames for reference")
add_custom_command(
    OUTPUT ${GENERATED_DIR}/raw/cases.txt
    COMMAND ${REFERENCE_PYTHON} ${CMAKE_CURRENT_SOURCE_DIR}/tools/make_raw_cases.py ${GENERATED_DIR}/raw
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tools/make_raw_cases.py
    COMMENT "Writing headerless files of every scalar type with numpy, numpy's slices for reference")
add_custom_target(brintavolex_generated DEPENDS ${GENERATED_DIR}/stream/three-frames.txt ${GENERATED_DIR}/raw/cases.txt ${GENERATED_DIR}/gif/cases.txt ${GENERATED_DIR}/tiff-decoder/cases.txt ${GENERATED_DIR}/compressed-tiffs/ramp-zip.tif
    ${GENERATED_DIR}/fax-tiffs/testfax4-none.tif ${GENERATED_DIR}/jpeg/cases.txt ${GENERATED_DIR}/tiffs/exif-le.tif.dump ${GENERATED_DIR}/icons/multi.ico.0.rgba ${GENERATED_DIR}/Cp1252Expected.h
    ${GENERATED_DIR}/bmpsuite-imagemagick/pal8.bmp.rgba ${GENERATED_DIR}/pngsuite-pillow/basn0g01.png.rgba)
