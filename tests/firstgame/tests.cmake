# A first program's mistakes, run as a user runs it: from a shell, in its own directory.
find_package(Python3 COMPONENTS Interpreter)
add_executable(firstgame ${CMAKE_CURRENT_LIST_DIR}/firstgame.cpp)
target_link_libraries(firstgame PRIVATE algo)
if(Python3_Interpreter_FOUND)
  add_test(NAME firstgame
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/firstgame.py
      --program $<TARGET_FILE:firstgame> --data ${PROJECT_BINARY_DIR}/data)
  set_tests_properties(firstgame PROPERTIES ENVIRONMENT "${TEST_ENV}" TIMEOUT 300)
endif()
