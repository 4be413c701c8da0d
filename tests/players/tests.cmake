# The real game in a real window under Xvfb: the window's scale, P, M and a focus loss by real
# key presses, the sound through SDL's disk audio driver; and the command line's bad values.
if(NOT STARHOP_GAME)
  return()
endif()
set(PLAYERS_ARGS ${CMAKE_CURRENT_LIST_DIR}/players.py
  --game $<TARGET_FILE:starhop> --replay $<TARGET_FILE:starhop-replay>
  --data ${PROJECT_BINARY_DIR}/data)
starhop_test_programs(found players_options python3)
if(found)
  add_test(NAME players_options COMMAND ${PYTHON3_PROGRAM} ${PLAYERS_ARGS} options)
  set_tests_properties(players_options PROPERTIES ENVIRONMENT "${TEST_ENV}" TIMEOUT 120)
endif()
starhop_test_programs(found "players_scale, players_keys" python3 Xvfb xdotool import)
if(found)
  # 1280 × 1280: the default window is twice the game's 512 × 512.
  foreach(case scale keys)
    add_test(NAME players_${case}
      COMMAND ${PYTHON3_PROGRAM} ${PLAYERS_ARGS} --screen 1280x1280x24 ${case})
    # The game's runs choose their own drivers; the replay runner's run uses the dummy ones.
    set_tests_properties(players_${case} PROPERTIES ENVIRONMENT "${TEST_ENV}" TIMEOUT 300)
  endforeach()
endif()
