# lotta_add_plugin(<target> EFFECT <source> LIBRARIES <libs...> [OUTPUT_DIRECTORY <dir>]
#                  [KEEP_LOADED] [LV2_URI <uri>] [VST3_CLASS_ID <32 hex digits>] [CLAP_ID <id>])
# Builds a VST 2 plug-in from the product's entry points and one source that makes the effect
# (NewEffect). Only the three entry points leave the library. With LV2_URI, Linux builds also
# make the LV2 bundle <dir>/<target>.lv2 (see lotta_add_lv2_bundle). With VST3_CLASS_ID, every
# build also makes the VST 3 bundle <dir>/<target>.vst3 (see lotta_add_vst3_bundle); with CLAP_ID,
# <dir>/<target>.clap (see lotta_add_clap_plugin). LIBRARIES must name one editor seam
# (lotta_editor_null or lotta_editor_platform). KEEP_LOADED marks the library to stay
# mapped after a host's dlclose, which the platform editor needs: Cairo, pixman, fontconfig and
# Xlib keep state from their own start-up that unloading them would lose or leave dangling.
get_filename_component(LOTTA_PRODUCT_DIR ${CMAKE_CURRENT_LIST_DIR}/../product ABSOLUTE)
# Every format but VST 2 hosts the product's effect through these.
set(LOTTA_HOSTED_EFFECT_SOURCES ${LOTTA_PRODUCT_DIR}/hosted_effect.cpp
    ${LOTTA_PRODUCT_DIR}/parameter_steps.cpp)

# `plugins` builds every format of every plug-in (scripts/quickstart.sh builds it), and
# <build>/plugins.txt lists them, one a line: format, the file or bundle to copy, the folder
# one user copies it to (tab-separated). Each format's function adds its plug-in with
# lotta_list_plugin(<target> <format> <file or bundle> <per-user folder>). Only the products
# (made in product/) count; test plug-ins made with the same functions do not.
add_custom_target(plugins)
function(lotta_list_plugin target format path folder)
  if(NOT CMAKE_CURRENT_SOURCE_DIR STREQUAL LOTTA_PRODUCT_DIR)
    return()
  endif()
  add_dependencies(plugins ${target})
  set_property(GLOBAL APPEND_STRING PROPERTY LOTTA_PLUGIN_LIST "${format}\t${path}\t${folder}\n")
endfunction()
function(lotta_write_plugin_list)
  get_property(list GLOBAL PROPERTY LOTTA_PLUGIN_LIST)
  file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/plugins.txt CONTENT "${list}")
endfunction()
# Written once every directory has added its plug-ins.
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL lotta_write_plugin_list)

function(lotta_add_plugin target)
  cmake_parse_arguments(ARG "KEEP_LOADED" "EFFECT;OUTPUT_DIRECTORY;LV2_URI;VST3_CLASS_ID;CLAP_ID"
                        "LIBRARIES" ${ARGN})
  if(NOT ARG_OUTPUT_DIRECTORY)
    set(ARG_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  endif()
  add_library(${target} SHARED ${LOTTA_PRODUCT_DIR}/entry.cpp ${ARG_EFFECT})
  target_link_libraries(${target} PRIVATE ${ARG_LIBRARIES} lotta_warnings)
  lotta_lto_plugin(${target})
  set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME ${target}
                        LIBRARY_OUTPUT_DIRECTORY ${ARG_OUTPUT_DIRECTORY}
                        RUNTIME_OUTPUT_DIRECTORY ${ARG_OUTPUT_DIRECTORY})
  if(WIN32)
    lotta_list_plugin(${target} "VST 2" $<TARGET_FILE:${target}> "C:/Program Files/VSTPlugins")
  else()
    lotta_list_plugin(${target} "VST 2" $<TARGET_FILE:${target}> ~/.vst)
  endif()
  # Release plug-ins ship without a symbol table: the three entries are all a host looks up.
  target_link_options(${target} PRIVATE $<$<CONFIG:Release,MinSizeRel>:-s>)
  if(WIN32)
    # The module-definition file names the exports, undecorated.
    target_sources(${target} PRIVATE ${LOTTA_PRODUCT_DIR}/exports.def)
  else()
    set(map ${LOTTA_PRODUCT_DIR}/exports.map)
    target_link_options(${target} PRIVATE -Wl,--version-script=${map} -Wl,--no-undefined)
    if(ARG_KEEP_LOADED)
      target_link_options(${target} PRIVATE -Wl,-z,nodelete)
    endif()
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${map})
    if(ARG_LV2_URI)
      lotta_add_lv2_bundle(${target} ${ARG_LV2_URI} ${ARG_OUTPUT_DIRECTORY} ${ARG_EFFECT}
                           ${ARG_LIBRARIES})
    endif()
  endif()
  if(ARG_VST3_CLASS_ID)
    lotta_add_vst3_bundle(${target} ${ARG_VST3_CLASS_ID} ${ARG_OUTPUT_DIRECTORY} ${ARG_EFFECT}
                          ${ARG_LIBRARIES})
  endif()
  if(ARG_CLAP_ID)
    lotta_add_clap_plugin(${target} ${ARG_CLAP_ID} ${ARG_OUTPUT_DIRECTORY} ${ARG_EFFECT}
                          ${ARG_LIBRARIES})
  endif()
endfunction()

# lotta_add_lv2_bundle(<target> <uri> <dir> <effect source> <libs...>)
# The same effect as an LV2 plug-in: <target>_lv2 builds <dir>/<target>.lv2/<target>.so, which
# exports only lv2_descriptor, and <target>_lv2_ttl runs a generator linked with the same
# effect to write the bundle's manifest.ttl and <target>.ttl from what the effect reports.
# Without the LV2 headers (Debian package lv2-dev) one line says the bundle is skipped.
function(lotta_add_lv2_bundle target uri dir effect)
  set(libraries ${ARGN})
  if(NOT EXISTS /usr/include/lv2/core/lv2.h AND NOT EXISTS /usr/local/include/lv2/core/lv2.h)
    message(STATUS "${target}.lv2 skipped: the LV2 headers (Debian package lv2-dev) not found")
    return()
  endif()
  set(lv2 ${LOTTA_PRODUCT_DIR}/lv2)
  set(bundle ${dir}/${target}.lv2)
  add_library(${target}_lv2 SHARED ${lv2}/lv2_entry.cpp ${lv2}/lv2_instance.cpp
              ${lv2}/lv2_state.cpp ${lv2}/lv2_time.cpp ${LOTTA_HOSTED_EFFECT_SOURCES} ${effect})
  target_compile_definitions(${target}_lv2 PRIVATE LOTTA_LV2_URI="${uri}")
  target_link_libraries(${target}_lv2 PRIVATE ${libraries} lotta_warnings)
  lotta_lto_plugin(${target}_lv2)
  set(map ${lv2}/lv2_exports.map)
  set_target_properties(${target}_lv2 PROPERTIES PREFIX "" OUTPUT_NAME ${target}
                        LIBRARY_OUTPUT_DIRECTORY ${bundle})
  target_link_options(${target}_lv2 PRIVATE $<$<CONFIG:Release,MinSizeRel>:-s>
                      -Wl,--version-script=${map} -Wl,--no-undefined)
  set_property(TARGET ${target}_lv2 APPEND PROPERTY LINK_DEPENDS ${map})

  add_executable(${target}_lv2_ttl_generator ${lv2}/ttl_generator.cpp ${lv2}/lv2_ports.cpp
                 ${LOTTA_PRODUCT_DIR}/parameter_steps.cpp ${effect})
  target_link_libraries(${target}_lv2_ttl_generator PRIVATE ${libraries} lotta_warnings)
  set(ttl ${bundle}/manifest.ttl ${bundle}/${target}.ttl)
  # Rewritten only when they change, so a new version or URI writes the Turtle again.
  set(arguments ${CMAKE_CURRENT_BINARY_DIR}/${target}_lv2_ttl.arguments)
  file(CONFIGURE OUTPUT ${arguments} CONTENT "${uri} ${PROJECT_VERSION}\n")
  add_custom_command(OUTPUT ${ttl}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${bundle}
    COMMAND ${target}_lv2_ttl_generator ${bundle} ${uri} ${target}${CMAKE_SHARED_LIBRARY_SUFFIX}
            ${PROJECT_VERSION}
    DEPENDS ${target}_lv2_ttl_generator ${arguments}
    COMMENT "Writing the Turtle of ${target}.lv2" VERBATIM)
  add_custom_target(${target}_lv2_ttl ALL DEPENDS ${ttl})
  add_dependencies(${target}_lv2 ${target}_lv2_ttl)
  lotta_list_plugin(${target}_lv2 LV2 ${bundle} ~/.lv2)
  set_property(TARGET ${target}_lv2 PROPERTY LOTTA_LV2_BUNDLE ${bundle})
  set_property(TARGET ${target}_lv2 PROPERTY LOTTA_LV2_URI ${uri})
endfunction()

# lotta_add_vst3_bundle(<target> <class id> <dir> <effect source> <libs...>)
# The same effect as a VST 3 plug-in: <target>_vst3 builds the bundle's binary,
# <dir>/<target>.vst3/Contents/<arch>/<target>.so on Linux (x86_64-linux, i386-linux) and
# <target>.vst3 on Windows (x86_64-win, x86-win). It exports only GetPluginFactory and the
# module's load and unload functions. The class ID (32 hex digits, the four words in reading
# order) names the plug-in in hosts' sessions: choose it once and never change it.
function(lotta_add_vst3_bundle target classId dir effect)
  set(libraries ${ARGN})
  if(NOT classId MATCHES "^[0-9A-Fa-f]+$")
    message(FATAL_ERROR "VST3_CLASS_ID of ${target} is not hexadecimal: ${classId}")
  endif()
  string(LENGTH "${classId}" length)
  if(NOT length EQUAL 32)
    message(FATAL_ERROR "VST3_CLASS_ID of ${target} has ${length} digits, not 32: ${classId}")
  endif()
  set(words "")
  foreach(at 0 8 16 24)
    string(SUBSTRING ${classId} ${at} 8 word)
    list(APPEND words 0x${word})
  endforeach()
  list(JOIN words "," words)
  if(WIN32)
    set(suffix .vst3)
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
      set(arch x86-win)
    else()
      set(arch x86_64-win)
    endif()
  else()
    set(suffix .so)
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
      set(arch i386-linux)
    else()
      set(arch ${CMAKE_SYSTEM_PROCESSOR}-linux)
    endif()
  endif()
  set(vst3 ${LOTTA_PRODUCT_DIR}/vst3)
  set(binaryDir ${dir}/${target}.vst3/Contents/${arch})
  add_library(${target}_vst3 SHARED
    ${vst3}/vst3_entry.cpp ${vst3}/vst3_factory.cpp ${vst3}/vst3_plugin.cpp
    ${vst3}/vst3_process.cpp ${vst3}/vst3_controller.cpp ${vst3}/vst3_changes.cpp
    ${vst3}/vst3_parameters.cpp ${vst3}/vst3_stream.cpp ${vst3}/vst3_text.cpp
    ${vst3}/vst3_time.cpp ${LOTTA_HOSTED_EFFECT_SOURCES} ${effect})
  target_compile_definitions(${target}_vst3 PRIVATE LOTTA_VST3_CLASS_ID=${words}
                                                    LOTTA_VST3_VERSION="${PROJECT_VERSION}")
  target_link_libraries(${target}_vst3 PRIVATE ${libraries} lotta_warnings)
  lotta_lto_plugin(${target}_vst3)
  # The import library of a Windows build stays out of the bundle.
  set_target_properties(${target}_vst3 PROPERTIES PREFIX "" OUTPUT_NAME ${target} SUFFIX ${suffix}
                        LIBRARY_OUTPUT_DIRECTORY ${binaryDir} RUNTIME_OUTPUT_DIRECTORY ${binaryDir}
                        ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  target_link_options(${target}_vst3 PRIVATE $<$<CONFIG:Release,MinSizeRel>:-s>)
  if(WIN32)
    target_sources(${target}_vst3 PRIVATE ${vst3}/vst3_exports.def)
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
      # GetPluginFactory is stdcall there (_GetPluginFactory@0); the plain name in the .def
      # exports it undecorated, as hosts look it up.
      target_link_options(${target}_vst3 PRIVATE -Wl,--enable-stdcall-fixup)
    endif()
  else()
    set(map ${vst3}/vst3_exports.map)
    target_link_options(${target}_vst3 PRIVATE -Wl,--version-script=${map} -Wl,--no-undefined)
    set_property(TARGET ${target}_vst3 APPEND PROPERTY LINK_DEPENDS ${map})
  endif()
  set_property(TARGET ${target}_vst3 PROPERTY LOTTA_VST3_BUNDLE ${dir}/${target}.vst3)
  set_property(TARGET ${target}_vst3 PROPERTY LOTTA_VST3_ARCH ${arch})
  set_property(TARGET ${target}_vst3 PROPERTY LOTTA_VST3_CLASS_ID ${classId})
  if(WIN32)
    lotta_list_plugin(${target}_vst3 "VST 3" ${dir}/${target}.vst3 "%LOCALAPPDATA%/Programs/Common/VST3")
  else()
    lotta_list_plugin(${target}_vst3 "VST 3" ${dir}/${target}.vst3 ~/.vst3)
  endif()
endfunction()

# lotta_add_clap_plugin(<target> <id> <dir> <effect source> <libs...>)
# The same effect as a CLAP plug-in: <target>_clap builds <dir>/<target>.clap, a module that
# exports only the data object clap_entry. The id is the plug-in's for good: hosts keep it in
# their sessions.
function(lotta_add_clap_plugin target id dir effect)
  set(libraries ${ARGN})
  set(clap ${LOTTA_PRODUCT_DIR}/clap)
  # A module, not a shared library: no import library, which on Windows would take the
  # VST 2 DLL's name.
  add_library(${target}_clap MODULE ${clap}/clap_entry.cpp ${clap}/clap_plugin.cpp
              ${clap}/clap_plugin_extensions.cpp ${clap}/clap_ports.cpp ${clap}/clap_params.cpp
              ${clap}/clap_streams.cpp ${clap}/clap_time.cpp ${LOTTA_HOSTED_EFFECT_SOURCES}
              ${effect})
  target_compile_definitions(${target}_clap PRIVATE LOTTA_CLAP_ID="${id}"
                                                    LOTTA_CLAP_VERSION="${PROJECT_VERSION}")
  target_link_libraries(${target}_clap PRIVATE ${libraries} lotta_warnings)
  lotta_lto_plugin(${target}_clap)
  set_target_properties(${target}_clap PROPERTIES PREFIX "" OUTPUT_NAME ${target} SUFFIX .clap
                        LIBRARY_OUTPUT_DIRECTORY ${dir} RUNTIME_OUTPUT_DIRECTORY ${dir})
  target_link_options(${target}_clap PRIVATE $<$<CONFIG:Release,MinSizeRel>:-s>)
  if(WIN32)
    target_sources(${target}_clap PRIVATE ${clap}/clap_exports.def)
  else()
    set(map ${clap}/clap_exports.map)
    target_link_options(${target}_clap PRIVATE -Wl,--version-script=${map} -Wl,--no-undefined)
    set_property(TARGET ${target}_clap APPEND PROPERTY LINK_DEPENDS ${map})
  endif()
  set_property(TARGET ${target}_clap PROPERTY LOTTA_CLAP_ID ${id})
  if(WIN32)
    lotta_list_plugin(${target}_clap CLAP $<TARGET_FILE:${target}_clap> "%LOCALAPPDATA%/Programs/Common/CLAP")
  else()
    lotta_list_plugin(${target}_clap CLAP $<TARGET_FILE:${target}_clap> ~/.clap)
  endif()
endfunction()
