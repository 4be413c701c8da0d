# Builds the .deb, unpacks it into a scratch root and plays the installed launcher under Xvfb.
if(NOT STARHOP_SANITIZE)
  add_test(NAME install_deb
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/install_test.sh ${PROJECT_BINARY_DIR})
  set_tests_properties(install_deb PROPERTIES TIMEOUT 600 RUN_SERIAL TRUE)
endif()
