# Sound tests run the real mixer on SDL's disk audio driver, which writes everything it
# mixes to a raw file (relative: it lands in the test's own working directory). The test
# makes its own Ogg files with the Vorbis encoder.
pkg_check_modules(VORBISENC QUIET IMPORTED_TARGET vorbisenc vorbis ogg)
if(VORBISENC_FOUND)
  set(SOUND_TEST_ENV ${TEST_ENV})
  list(REMOVE_ITEM SOUND_TEST_ENV SDL_AUDIODRIVER=dummy)
  list(APPEND SOUND_TEST_ENV SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=mixed.raw)
  starhop_gtest(sound_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/sound_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/soundfiles.cpp LIBS PkgConfig::VORBISENC ENV ${SOUND_TEST_ENV})
else()
  starhop_left_out(sound_test "the Ogg Vorbis encoder (pkg-config vorbisenc, vorbis and ogg, "
    "from libvorbis-dev) not found: the test makes its tunes with it")
endif()
