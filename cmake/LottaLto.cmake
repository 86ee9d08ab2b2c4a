# Link-time optimisation of the plug-ins (GCC). A block's audio path runs through the adapter,
# runtime and effect libraries in a dozen small calls; optimising across them when a plug-in
# is linked takes a measurable share off a small block. The libraries' objects are "fat": they
# carry GCC's intermediate code beside their machine code, so tests and tools link them as
# before and only the plug-ins' links optimise across them. Off in sanitizer and cross builds.
option(LOTTA_LTO "Optimise the plug-ins across their libraries at link time (GCC only)" ON)
set(LOTTA_LTO_ACTIVE OFF)
if(LOTTA_LTO)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND NOT CMAKE_CROSSCOMPILING AND NOT LOTTA_SANITIZE
     AND NOT LOTTA_TSAN)
    set(LOTTA_LTO_ACTIVE ON)
  else()
    message(STATUS "Link-time optimisation off: it is used for native GCC builds without "
                   "sanitizers only")
  endif()
endif()

# lotta_lto_library(<target>...): the library's objects also carry the intermediate code.
# Only the libraries a block runs through use it (adapter, runtime, effect): fat objects take
# longer to compile, and the editor's code is not on the audio path.
function(lotta_lto_library)
  if(LOTTA_LTO_ACTIVE)
    foreach(target IN LISTS ARGN)
      target_compile_options(${target} PRIVATE -flto=auto -ffat-lto-objects)
    endforeach()
  endif()
endfunction()

# lotta_lto_plugin(<target>): the plug-in is optimised across everything it links. Only the
# products (made in product/); test plug-ins link as usual, which keeps the test build quick.
function(lotta_lto_plugin target)
  if(LOTTA_LTO_ACTIVE AND CMAKE_CURRENT_SOURCE_DIR STREQUAL LOTTA_PRODUCT_DIR)
    target_compile_options(${target} PRIVATE -flto=auto)
    target_link_options(${target} PRIVATE -flto=auto)
  endif()
endfunction()
