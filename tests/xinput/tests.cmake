# A real key press and real mouse input, sent with xdotool to a real window under Xvfb.
starhop_test_programs(found xinput_test xvfb-run xdotool)
if(found)
  starhop_gtest(xinput_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/xinput_test.cpp
    RUN_WITH ${XVFB_RUN_PROGRAM} -a -s "-screen 0 640x480x24"
    ENV ${WINDOW_ENV} XDOTOOL=${XDOTOOL_PROGRAM} TIMEOUT 120)
endif()
