# The real game in a real window under Xvfb: the window's scale, P, M and a focus loss by real
# key presses, the sound through SDL's disk audio driver; and the command line's bad values.
find_package(Python3 COMPONENTS Interpreter)
find_program(XVFB Xvfb)
find_program(XDOTOOL xdotool)
find_program(IMPORT_TOOL import)
if(Python3_Interpreter_FOUND AND TARGET starhop-replay)
  set(PLAYERS_RUN ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/players.py
    --game $<TARGET_FILE:starhop> --replay $<TARGET_FILE:starhop-replay>
    --data ${PROJECT_BINARY_DIR}/data)
  add_test(NAME players_options COMMAND ${PLAYERS_RUN} options)
  set_tests_properties(players_options PROPERTIES ENVIRONMENT "${TEST_ENV}" TIMEOUT 120)
  if(XVFB AND XDOTOOL AND IMPORT_TOOL)
    # 1280 × 1280: the default window is twice the game's 512 × 512.
    foreach(case scale keys)
      add_test(NAME players_${case} COMMAND ${PLAYERS_RUN} --screen 1280x1280x24 ${case})
      # The game's runs choose their own drivers; the replay runner's run uses the dummy ones.
      set_tests_properties(players_${case} PROPERTIES ENVIRONMENT "${TEST_ENV}" TIMEOUT 300)
    endforeach()
  else()
    message(WARNING "Xvfb, xdotool or import missing: the real-window player tests are not registered")
  endif()
endif()
