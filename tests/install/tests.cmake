# Builds the .deb packages, checks them, unpacks the game into a scratch root and plays the
# installed launcher under Xvfb; installs the SDK into a scratch prefix and builds programs
# against it from outside the tree.
if(NOT STARHOP_SANITIZE)
  add_test(NAME install_deb
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/install_test.sh ${PROJECT_BINARY_DIR})
  set_tests_properties(install_deb PROPERTIES TIMEOUT 600 RUN_SERIAL TRUE)
  add_test(NAME install_sdk
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/sdk_test.sh ${PROJECT_BINARY_DIR} ${PROJECT_SOURCE_DIR}
      ${CMAKE_CXX_COMPILER})
  set_tests_properties(install_sdk PROPERTIES TIMEOUT 600 RUN_SERIAL TRUE)
endif()
