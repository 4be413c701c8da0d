# Level packs: starhop-levels, and starhop-replay and starhop with --levels.
if(NOT STARHOP_GAME)
  return()
endif()
starhop_test_programs(found "packs_*" python3)
if(found)
  set(PACK_RUN ${PYTHON3_PROGRAM} ${CMAKE_CURRENT_LIST_DIR}/packs.py --bin ${PROJECT_BINARY_DIR}
    --data ${PROJECT_BINARY_DIR}/data)
  set(PACK_TESTS packs_play packs_hostile packs_tool)
  foreach(case play hostile tool)
    add_test(NAME packs_${case} COMMAND ${PACK_RUN} ${case})
  endforeach()
  # The solver's sweep of the game's own levels takes tens of minutes under the sanitizers.
  if(NOT STARHOP_SANITIZE)
    add_test(NAME packs_builtin COMMAND ${PACK_RUN} builtin)
    list(APPEND PACK_TESTS packs_builtin)
  else()
    message(STATUS "Sanitizer tree: starhop-levels check over the game's own levels "
      "(packs_builtin) runs in the normal tree only, too slow here")
  endif()
  set_tests_properties(${PACK_TESTS} PROPERTIES ENVIRONMENT "${TEST_ENV}" TIMEOUT 1800)
endif()
