# The engine guide quotes the minimal program and the engine's messages as the code has them.
starhop_test_programs(found guide_check python3)
if(found)
  add_test(NAME guide_check
    COMMAND ${PYTHON3_PROGRAM} ${CMAKE_CURRENT_LIST_DIR}/guide_check.py ${PROJECT_SOURCE_DIR})
endif()
