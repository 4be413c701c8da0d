# End-to-end: the real game through starhop-replay, judged by its trace.
if(NOT STARHOP_GAME)
  return()
endif()
starhop_test_programs(found "e2e_*" python3)
if(found)
  set(E2E_CASES menu first_frame walk jump star death gameover countdown clear quit bad_input
      no_border pause)
  foreach(case ${E2E_CASES})
    add_test(NAME e2e_${case}
      COMMAND ${PYTHON3_PROGRAM} ${CMAKE_CURRENT_LIST_DIR}/e2e.py
        --replay $<TARGET_FILE:starhop-replay> --data ${PROJECT_BINARY_DIR}/data ${case})
    set_tests_properties(e2e_${case} PROPERTIES ENVIRONMENT "${TEST_ENV}" TIMEOUT 600)
  endforeach()
endif()
