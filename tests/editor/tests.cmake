# The level editor: its logic in one grouped unit test, and the real program in a real window
# under Xvfb, driven with xdotool.
if(NOT STARHOP_GAME)
  return()
endif()
starhop_gtest(editor_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/editor_test.cpp GAME
  LIBS starhop_edit)
if(TARGET editor_test)
  add_dependencies(editor_test data)
endif()
set(EDIT_ARGS ${CMAKE_CURRENT_LIST_DIR}/edit.py --edit $<TARGET_FILE:starhop-edit>
  --replay $<TARGET_FILE:starhop-replay> --levels $<TARGET_FILE:starhop-levels>
  --build ${PROJECT_BINARY_DIR})
starhop_test_programs(found edit_bad python3)
if(found)
  add_test(NAME edit_bad COMMAND ${PYTHON3_PROGRAM} ${EDIT_ARGS} bad)
  set_tests_properties(edit_bad PROPERTIES ENVIRONMENT "${TEST_ENV}" TIMEOUT 120)
endif()
starhop_test_programs(found edit_draw python3 Xvfb xdotool import)
if(found)
  add_test(NAME edit_draw COMMAND ${PYTHON3_PROGRAM} ${EDIT_ARGS} --screen 1280x1024x24 draw)
  # The editor's windows choose their own drivers.
  set_tests_properties(edit_draw PROPERTIES ENVIRONMENT "${TEST_ENV}" TIMEOUT 300)
endif()
