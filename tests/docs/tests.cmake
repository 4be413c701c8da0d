# The engine guide quotes the minimal program and the engine's messages as the code has them.
find_package(Python3 COMPONENTS Interpreter)
if(Python3_Interpreter_FOUND)
  add_test(NAME guide_check
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/guide_check.py ${PROJECT_SOURCE_DIR})
endif()
