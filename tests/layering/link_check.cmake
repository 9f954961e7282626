# One layer link test: builds the program (the link is what is tested), then removes it whether or
# not the link worked, so that the test leaves nothing in the build tree.
#   cmake -DBUILD=<build folder> -DTARGET=<program target> -DPROGRAM=<program file> -P link_check.cmake
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD} --target ${TARGET} RESULT_VARIABLE result)
file(REMOVE ${PROGRAM})
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${TARGET} does not link against the layers below it")
endif()
