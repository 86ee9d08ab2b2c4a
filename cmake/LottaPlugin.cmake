# lotta_add_plugin(<target> EFFECT <source> LIBRARIES <libs...> [OUTPUT_DIRECTORY <dir>]
#                  [KEEP_LOADED])
# Builds a VST 2 plug-in from the product's entry points and one source that makes the effect
# (NewEffect). Only the three entry points leave the library. LIBRARIES must name one editor
# seam (lotta_editor_null or lotta_editor_platform). KEEP_LOADED marks the library to stay
# mapped after a host's dlclose, which the platform editor needs: Cairo, pixman, fontconfig and
# Xlib keep state from their own start-up that unloading them would lose or leave dangling.
set(LOTTA_PRODUCT_DIR ${CMAKE_CURRENT_LIST_DIR}/../product)

function(lotta_add_plugin target)
  cmake_parse_arguments(ARG "KEEP_LOADED" "EFFECT;OUTPUT_DIRECTORY" "LIBRARIES" ${ARGN})
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
  endif()
endfunction()
