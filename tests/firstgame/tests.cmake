# A first program's mistakes, run as a user runs it: from a shell, in its own directory.
add_executable(firstgame ${CMAKE_CURRENT_LIST_DIR}/firstgame.cpp)
target_link_libraries(firstgame PRIVATE algo)
# It loads a picture, a tune and an effect of the game's data.
if(NOT STARHOP_GAME)
  message(STATUS "firstgame: not registered, it plays the game's data (STARHOP_GAME=OFF)")
  return()
endif()
starhop_test_programs(found firstgame python3)
if(found)
  add_test(NAME firstgame
    COMMAND ${PYTHON3_PROGRAM} ${CMAKE_CURRENT_LIST_DIR}/firstgame.py
      --program $<TARGET_FILE:firstgame> --data ${PROJECT_BINARY_DIR}/data)
  set_tests_properties(firstgame PROPERTIES ENVIRONMENT "${TEST_ENV}" TIMEOUT 300)
endif()
