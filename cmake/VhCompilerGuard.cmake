# Guards every build against g++ 12.2's miscompile of comparisons between bools taken from bits of
# one word (see bit_compare_check.h). The reproducer is compiled and run with this build's own
# compiler, flags and options; when it answers wrong, -fno-tree-vrp is added to every target.
# Include this after every project-wide compile option is set.
function(vh_compiler_guard)
  if(CMAKE_CROSSCOMPILING)
    return()
  endif()
  if(CMAKE_BUILD_TYPE)
    set(CMAKE_TRY_COMPILE_CONFIGURATION ${CMAKE_BUILD_TYPE})
  endif()
  get_directory_property(options COMPILE_OPTIONS)
  get_directory_property(link_options LINK_OPTIONS)
  # Asked anew at every configure: a cached answer would outlive a change of compiler or flags.
  unset(VH_BIT_COMPARE_RUN CACHE)
  unset(VH_BIT_COMPARE_BUILT CACHE)
  try_run(VH_BIT_COMPARE_RUN VH_BIT_COMPARE_BUILT
    ${CMAKE_BINARY_DIR}/compiler_guard
    ${PROJECT_SOURCE_DIR}/cmake/bit_compare_check.cpp
    CMAKE_FLAGS "-DINCLUDE_DIRECTORIES=${PROJECT_SOURCE_DIR}/cmake"
    COMPILE_DEFINITIONS ${options}
    LINK_OPTIONS ${link_options}
    COMPILE_OUTPUT_VARIABLE output)
  if(NOT VH_BIT_COMPARE_BUILT)
    message(FATAL_ERROR "The compiler check cmake/bit_compare_check.cpp does not build:\n${output}")
  endif()
  if(NOT VH_BIT_COMPARE_RUN EQUAL 0)
    message(STATUS "Compiler guard: ${CMAKE_CXX_COMPILER_ID} ${CMAKE_CXX_COMPILER_VERSION} "
                   "miscompiles bit comparisons with these flags; building with -fno-tree-vrp")
    add_compile_options(-fno-tree-vrp)
  endif()
endfunction()
