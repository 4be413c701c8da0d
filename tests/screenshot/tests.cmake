# A real 512 × 512 window on a virtual X server: the frame read back from the screen
# surface after the flip, and from the X server itself, must be the frame drawn.
find_program(XVFB_RUN xvfb-run)
find_program(IMPORT_TOOL import)
add_executable(screenshot_test ${CMAKE_CURRENT_LIST_DIR}/screenshot_test.cpp)
target_link_libraries(screenshot_test PRIVATE test_support)
if(XVFB_RUN AND IMPORT_TOOL)
  add_test(NAME screenshot
    COMMAND ${XVFB_RUN} -a -s "-screen 0 800x600x24"
            $<TARGET_FILE:screenshot_test>)
  # The usual test environment, with the real X driver in place of the dummy one.
  set(SCREENSHOT_ENV ${TEST_ENV})
  list(FILTER SCREENSHOT_ENV EXCLUDE REGEX "^SDL_VIDEODRIVER=")
  list(APPEND SCREENSHOT_ENV SDL_VIDEODRIVER=x11 STARHOP_IMPORT=${IMPORT_TOOL})
  set_tests_properties(screenshot PROPERTIES TIMEOUT 120 ENVIRONMENT "${SCREENSHOT_ENV}")
else()
  message(WARNING "xvfb-run or import missing: the screenshot test is not registered")
endif()
