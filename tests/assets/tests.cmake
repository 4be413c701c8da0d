# The built game data: every file loads through the real loaders, has the size and format
# the game draws and plays it with, and data.zip holds the same bytes. Also checks that
# assetgen refuses broken sources with the file and line.
if(NOT STARHOP_GAME)
  return()
endif()
pkg_check_modules(VORBISFILE QUIET IMPORTED_TARGET vorbisfile)
if(VORBISFILE_FOUND)
  starhop_gtest(assets_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/assets_test.cpp
    LIBS PkgConfig::VORBISFILE)
else()
  starhop_left_out(assets_test "vorbisfile not found (libvorbis-dev): it decodes the tunes")
endif()
if(TARGET assets_test)
  target_compile_definitions(assets_test PRIVATE ASSETGEN_PATH="$<TARGET_FILE:assetgen>")
  add_dependencies(assets_test data)
endif()
