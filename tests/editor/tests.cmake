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
