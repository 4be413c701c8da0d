# The built game data: every file loads through the real loaders, has the size and format
# the game draws and plays it with, and data.zip holds the same bytes. Also checks that
# assetgen refuses broken sources with the file and line.
if(TARGET assetgen)
  pkg_check_modules(VORBISFILE REQUIRED IMPORTED_TARGET vorbisfile)
  add_executable(assets_test ${CMAKE_CURRENT_LIST_DIR}/assets_test.cpp)
  target_link_libraries(assets_test PRIVATE test_support PkgConfig::VORBISFILE)
  target_compile_definitions(assets_test PRIVATE ASSETGEN_PATH="$<TARGET_FILE:assetgen>")
  add_dependencies(assets_test data)
  add_test(NAME assets_test COMMAND assets_test)
  set_tests_properties(assets_test PROPERTIES ENVIRONMENT "${TEST_ENV}" TIMEOUT 300)
endif()
