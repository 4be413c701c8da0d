# A real 512 × 512 window on a virtual X server: the frame read back from the screen
# surface after the flip, and from the X server itself, must be the frame drawn.
starhop_test_programs(found screenshot xvfb-run import)
if(found)
  starhop_gtest(screenshot_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/screenshot_test.cpp
    TEST screenshot RUN_WITH ${XVFB_RUN_PROGRAM} -a -s "-screen 0 800x600x24"
    ENV ${WINDOW_ENV} STARHOP_IMPORT=${IMPORT_PROGRAM} TIMEOUT 120)
endif()
