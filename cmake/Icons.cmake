# The toolbar icons: tools/make_icons.py draws them (standard library only)
# into a source of the GUI library; target icon_sheet shows them all in
# build/<preset>/icons.png.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(BRINTAVOLEX_ICON_SCRIPT ${PROJECT_SOURCE_DIR}/tools/make_icons.py)
set(BRINTAVOLEX_ICON_SOURCE ${CMAKE_BINARY_DIR}/generated/GUI/IconPixels.cpp)
add_custom_command(
    OUTPUT ${BRINTAVOLEX_ICON_SOURCE}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/generated/GUI
    COMMAND Python3::Interpreter ${BRINTAVOLEX_ICON_SCRIPT} ${BRINTAVOLEX_ICON_SOURCE}
    DEPENDS ${BRINTAVOLEX_ICON_SCRIPT}
    COMMENT "Drawing the toolbar icons")
target_sources(brintavolex_GUI PRIVATE ${BRINTAVOLEX_ICON_SOURCE})
add_custom_target(icon_sheet
    COMMAND Python3::Interpreter ${BRINTAVOLEX_ICON_SCRIPT} --sheet ${CMAKE_BINARY_DIR}/icons.png
    DEPENDS ${BRINTAVOLEX_ICON_SCRIPT}
    COMMENT "Every toolbar icon at 100 % and 200 % in ${CMAKE_BINARY_DIR}/icons.png")
