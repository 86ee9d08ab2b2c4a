# lotta_add_plugin(<target> EFFECT <source> LIBRARIES <libs...> [OUTPUT_DIRECTORY <dir>]
#                  [KEEP_LOADED] [LV2_URI <uri>] [CLAP_ID <id>])
# Builds a VST 2 plug-in from the product's entry points and one source that makes the effect
# (NewEffect). Only the three entry points leave the library. With LV2_URI, Linux builds also
# make the LV2 bundle <dir>/<target>.lv2 (see lotta_add_lv2_bundle). With CLAP_ID, every build
# also makes <dir>/<target>.clap (see lotta_add_clap_plugin). LIBRARIES must name one editor
# seam (lotta_editor_null or lotta_editor_platform). KEEP_LOADED marks the library to stay
# mapped after a host's dlclose, which the platform editor needs: Cairo, pixman, fontconfig and
# Xlib keep state from their own start-up that unloading them would lose or leave dangling.
set(LOTTA_PRODUCT_DIR ${CMAKE_CURRENT_LIST_DIR}/../product)
# Every format but VST 2 hosts the product's effect through these.
set(LOTTA_HOSTED_EFFECT_SOURCES ${LOTTA_PRODUCT_DIR}/hosted_effect.cpp
    ${LOTTA_PRODUCT_DIR}/parameter_steps.cpp)

function(lotta_add_plugin target)
  cmake_parse_arguments(ARG "KEEP_LOADED" "EFFECT;OUTPUT_DIRECTORY;LV2_URI;CLAP_ID" "LIBRARIES"
                        ${ARGN})
  if(NOT ARG_OUTPUT_DIRECTORY)
    set(ARG_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  endif()
  add_library(${target} SHARED ${LOTTA_PRODUCT_DIR}/entry.cpp ${ARG_EFFECT})
  target_link_libraries(${target} PRIVATE ${ARG_LIBRARIES} lotta_warnings)
  set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME ${target}
                        LIBRARY_OUTPUT_DIRECTORY ${ARG_OUTPUT_DIRECTORY}
                        RUNTIME_OUTPUT_DIRECTORY ${ARG_OUTPUT_DIRECTORY})
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
  set_property(TARGET ${target}_lv2 PROPERTY LOTTA_LV2_BUNDLE ${bundle})
  set_property(TARGET ${target}_lv2 PROPERTY LOTTA_LV2_URI ${uri})
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
endfunction()
