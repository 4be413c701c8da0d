# Sound tests run the real mixer on SDL's disk audio driver, which writes everything it
# mixes to a raw file (relative: it lands in the test's own working directory).
pkg_check_modules(VORBISENC REQUIRED IMPORTED_TARGET vorbisenc vorbis ogg)

add_executable(sound_test ${CMAKE_CURRENT_LIST_DIR}/sound_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/soundfiles.cpp)
target_link_libraries(sound_test PRIVATE test_support PkgConfig::VORBISENC)
add_test(NAME sound_test COMMAND sound_test)
set(SOUND_TEST_ENV ${TEST_ENV})
list(REMOVE_ITEM SOUND_TEST_ENV SDL_AUDIODRIVER=dummy)
list(APPEND SOUND_TEST_ENV SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=mixed.raw)
set_tests_properties(sound_test PROPERTIES ENVIRONMENT "${SOUND_TEST_ENV}" TIMEOUT 300)
