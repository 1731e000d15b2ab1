# The plug-in interface (Windows build only): widl turns the IDL file into a
# header, the interface identifiers and a type library, all in the build
# folder. The viewer embeds the type library as a resource.
find_program(BRINTAVOLEX_WIDL NAMES x86_64-w64-mingw32-widl widl REQUIRED)

set(BRINTAVOLEX_GENERATED ${CMAKE_BINARY_DIR}/generated)
set(BRINTAVOLEX_PLUGIN_IDL_DIRS ${PROJECT_SOURCE_DIR}/Interface/api/SystemIdl ${PROJECT_SOURCE_DIR}/Interface/api)

# brintavolex_widl(IDL OUTDIR NAME [DEPENDS files...]): NAME.h, NAME_i.c and
# NAME.tlb in OUTDIR from IDL, which may import the plug-in interface.
function(brintavolex_widl idl outdir name)
    cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
    set(includes)
    foreach(dir ${BRINTAVOLEX_PLUGIN_IDL_DIRS})
        list(APPEND includes -I ${dir})
    endforeach()
    add_custom_command(
        OUTPUT ${outdir}/${name}.h ${outdir}/${name}_i.c ${outdir}/${name}.tlb
        COMMAND ${CMAKE_COMMAND} -E make_directory ${outdir}
        COMMAND ${BRINTAVOLEX_WIDL} -m64 ${includes} -h -H ${outdir}/${name}.h ${idl}
        COMMAND ${BRINTAVOLEX_WIDL} -m64 ${includes} -u -o ${outdir}/${name}_i.c ${idl}
        COMMAND ${BRINTAVOLEX_WIDL} -m64 ${includes} -t -o ${outdir}/${name}.tlb ${idl}
        DEPENDS ${idl} ${ARG_DEPENDS}
        COMMENT "Compiling ${name} with widl"
        VERBATIM)
endfunction()

set(BRINTAVOLEX_PLUGIN_IDL ${PROJECT_SOURCE_DIR}/Interface/api/BrintavolexPlugIn.idl)
set(BRINTAVOLEX_PLUGIN_OUT ${BRINTAVOLEX_GENERATED}/Interface/api)
set(BRINTAVOLEX_PLUGIN_TLB ${BRINTAVOLEX_PLUGIN_OUT}/BrintavolexPlugIn.tlb)
brintavolex_widl(${BRINTAVOLEX_PLUGIN_IDL} ${BRINTAVOLEX_PLUGIN_OUT} BrintavolexPlugIn
    DEPENDS ${PROJECT_SOURCE_DIR}/Interface/api/SystemIdl/unknwn.idl)
add_custom_target(brintavolex_plugin_interface DEPENDS ${BRINTAVOLEX_PLUGIN_OUT}/BrintavolexPlugIn.h
    ${BRINTAVOLEX_PLUGIN_TLB})

# Included as "Interface/api/BrintavolexPlugIn.h"; generated code is kept out
# of the warnings.
target_sources(brintavolex_Interface PRIVATE ${BRINTAVOLEX_PLUGIN_OUT}/BrintavolexPlugIn.h
    ${BRINTAVOLEX_PLUGIN_OUT}/BrintavolexPlugIn_i.c)
target_include_directories(brintavolex_Interface SYSTEM PUBLIC ${BRINTAVOLEX_GENERATED})
add_dependencies(brintavolex_Interface brintavolex_plugin_interface)
