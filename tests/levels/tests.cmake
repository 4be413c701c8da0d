# The shipped levels: each solution, the whole game at two speeds, a game over, a short soak
# of random input and resident memory over many level starts.
if(NOT STARHOP_GAME)
  return()
endif()
starhop_test_programs(found "levels_*" python3)
if(found)
  set(LEVEL_RUN ${PYTHON3_PROGRAM} ${CMAKE_CURRENT_LIST_DIR}/levels.py
    --replay $<TARGET_FILE:starhop-replay> --data ${PROJECT_BINARY_DIR}/data)
  foreach(n 1 2 3 4 5 6 7 8)
    add_test(NAME levels_solution_${n} COMMAND ${LEVEL_RUN} level ${n})
  endforeach()
  add_test(NAME levels_full_game COMMAND ${LEVEL_RUN} game)
  add_test(NAME levels_slow_game COMMAND ${LEVEL_RUN} slow)
  add_test(NAME levels_game_over COMMAND ${LEVEL_RUN} gameover)
  add_test(NAME levels_soak COMMAND ${LEVEL_RUN} soak 20000 7)
  set(LEVEL_TESTS levels_full_game levels_slow_game levels_game_over levels_soak)
  # The sanitizer's quarantine holds freed memory back, so resident memory is measured in the
  # normal build only; so is the hintless solver's sweep of the levels, which under the
  # sanitizers would take tens of minutes (tests/unit/solver_test solves a small level there).
  if(NOT STARHOP_SANITIZE)
    add_test(NAME levels_memory
      COMMAND ${LEVEL_RUN} --solver $<TARGET_FILE:starhop-solver> memory)
    list(APPEND LEVEL_TESTS levels_memory)
    foreach(n 1 2 3 4 5 6 7 8)
      add_test(NAME levels_solver_${n}
        COMMAND ${LEVEL_RUN} --solver $<TARGET_FILE:starhop-solver> solve ${n})
      list(APPEND LEVEL_TESTS levels_solver_${n})
    endforeach()
  elseif(STARHOP_SANITIZE)
    message(STATUS "Sanitizer tree: the solver's sweep of the levels (levels_solver_N) and the "
      "resident memory test run in the normal tree only, too slow and distorted here")
  endif()
  foreach(n 1 2 3 4 5 6 7 8)
    list(APPEND LEVEL_TESTS levels_solution_${n})
  endforeach()
  set_tests_properties(${LEVEL_TESTS} PROPERTIES ENVIRONMENT "${TEST_ENV}" TIMEOUT 1800)
endif()

# Every play frame of a long run against the plain tile-by-tile drawing.
# Every global operator new of the program is counted, as game_bench counts them.
starhop_gtest(frames_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/frames_test.cpp
  ${PROJECT_SOURCE_DIR}/bench/support/alloc_count.cpp GAME TIMEOUT 900)
if(TARGET frames_test)
  add_dependencies(frames_test data)
endif()
