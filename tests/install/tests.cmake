# Builds the .deb packages, checks them, unpacks the game into a scratch root and plays the
# installed launcher under Xvfb; installs the SDK into a scratch prefix and builds programs
# against it from outside the tree; builds the engine alone where the game's dependencies
# cannot be found. The packages are the normal build's: the sanitizer tree has none of these.
if(STARHOP_SANITIZE)
  message(STATUS "Sanitizer tree: the install tests run in the normal tree only")
  return()
endif()
if(STARHOP_GAME)
  starhop_test_programs(found install_deb dpkg-deb lintian xvfb-run xdotool)
  if(found)
    add_test(NAME install_deb
      COMMAND ${CMAKE_CURRENT_LIST_DIR}/install_test.sh ${PROJECT_BINARY_DIR})
    set_tests_properties(install_deb PROPERTIES TIMEOUT 600 RUN_SERIAL TRUE)
  endif()
endif()
# The SDK's examples are built and run from their installed folders.
if(STARHOP_EXAMPLES)
  starhop_test_programs(found install_sdk xvfb-run xdotool convert zip)
  if(found)
    add_test(NAME install_sdk
      COMMAND ${CMAKE_CURRENT_LIST_DIR}/sdk_test.sh ${PROJECT_BINARY_DIR} ${PROJECT_SOURCE_DIR}
        ${CMAKE_CXX_COMPILER})
    set_tests_properties(install_sdk PROPERTIES TIMEOUT 600 RUN_SERIAL TRUE)
  endif()

  # A tree of its own, configured with -DSTARHOP_GAME=OFF where pkg-config finds no Ogg Vorbis:
  # the engine, assetgen and the examples build, and the SDK it installs has the same examples,
  # data and all, as this tree's.
  add_test(NAME install_engine_alone
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/engine_alone.sh ${PROJECT_BINARY_DIR} ${PROJECT_SOURCE_DIR}
      ${CMAKE_C_COMPILER} ${CMAKE_CXX_COMPILER} "${CMAKE_CXX_COMPILER_LAUNCHER}")
  # Its build takes both of ctest -j2's slots rather than crowd the tests beside it.
  set_tests_properties(install_engine_alone PROPERTIES TIMEOUT 900 PROCESSORS 2)
endif()
