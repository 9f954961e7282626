# vh_library(<target> DEPS <targets...>)
# A static library of every .cpp file in the calling folder (not its subfolders).
# Folders whose sources have not been written yet still give a target to link.
function(vh_library target)
  cmake_parse_arguments(ARG "" "" "DEPS;PRIVATE_DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    # Always a static library, so libraries of one program may depend on each other.
    set(placeholder ${CMAKE_CURRENT_BINARY_DIR}/${target}_empty.cpp)
    file(WRITE ${placeholder} "namespace { [[maybe_unused]] int unused_; }\n")
    set(sources ${placeholder})
  endif()
  add_library(${target} STATIC ${sources})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${target} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
  # Libraries that call each other are repeated on the link line often enough for any chain.
  set_target_properties(${target} PROPERTIES LINK_INTERFACE_MULTIPLICITY 6)
endfunction()

# vh_test_suite(<name> <folder> DEPS <targets...>)
# One GoogleTest program of every .cpp file in the folder; each test is a CTest test.
function(vh_test_suite name folder)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${folder}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources} ${PROJECT_SOURCE_DIR}/tests/support/test_main.cpp)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests
    DISCOVERY_TIMEOUT 60)
endfunction()
