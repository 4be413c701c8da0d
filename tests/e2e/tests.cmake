# End-to-end: the real game through starhop-replay, judged by its trace.
find_package(Python3 COMPONENTS Interpreter)
if(Python3_Interpreter_FOUND AND TARGET starhop-replay)
  set(E2E_CASES menu first_frame walk jump star death gameover countdown clear quit bad_input
      no_border pause)
  foreach(case ${E2E_CASES})
    add_test(NAME e2e_${case}
      COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/e2e.py
        --replay $<TARGET_FILE:starhop-replay> --data ${PROJECT_BINARY_DIR}/data ${case})
    set_tests_properties(e2e_${case} PROPERTIES ENVIRONMENT "${TEST_ENV}" TIMEOUT 600)
  endforeach()
endif()
